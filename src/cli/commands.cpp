#include "cli/commands.h"

#include <unistd.h>

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <cerrno>
#include <cmath>
#include <cstdio>

#include "cli/port_list.h"
#include "core/save_file.h"
#include "files/csv_export.h"
#include "files/data_file.h"
#include "files/tag_reader.h"

namespace nesmo::cli {

namespace {

// The saved file of a tag, read back for its CSV: 65,535 records of well under
// a hundred bytes each, and the header.
constexpr qsizetype kMaxDataFile = 64 * 1024 * 1024;

int outputErrno = 0;  // the first failed write to standard output

void writeOut(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    const size_t written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    if ((std::fflush(stdout) != 0 || written != size_t(bytes.size())) && outputErrno == 0)
        outputErrno = errno != 0 ? errno : EIO;
}

void writeErr(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

int fail(const Result& r)
{
    writeErr(QStringLiteral("nesmo7-cli: %1\n").arg(r.text));
    return r.code;
}

void writeJson(const QJsonObject& object)
{
    writeOut(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented)));
}

// The program's message boxes, as notes on standard error; the one that is the
// failure itself is told as that.
// A note while the tool waits (a dump still arriving), unless --quiet.
Session::Notice noticeFor(const Options& o)
{
    return [quiet = o.quiet](const QString& text) {
        if (!quiet) writeErr(QStringLiteral("nesmo7-cli: %1\n").arg(text));
    };
}

void tellMessages(Session& session, const Options& o, const Result& failure)
{
    for (const QString& m : session.takeMessages())
        if (!o.quiet && m != failure.text)
            writeErr(QStringLiteral("nesmo7-cli: note: %1\n").arg(m.simplified()));
}

bool toNumber(const QString& text, int low, int high, int& out)
{
    bool ok = false;
    out = text.toInt(&ok);
    return ok && out >= low && out <= high;
}

// Records received of announced, the rate and the time left, on one line of a
// terminal, at most five times a second.
class ProgressLine {
public:
    explicit ProgressLine(int tag) : tag_(tag) { clock_.start(); }
    void update(int records, int announced)
    {
        if (records < announced && shown_.isValid() && shown_.elapsed() < 200) return;
        shown_.start();
        const double seconds = qMax<qint64>(1, clock_.elapsed()) / 1000.0;
        const double rate = records / seconds;
        QString line = QStringLiteral("\rtag %1: %2/%3 records  %4 records/s")
                           .arg(tag_, 2)
                           .arg(records)
                           .arg(announced)
                           .arg(rate, 0, 'f', 0);
        if (rate > 0 && announced > records)
            line += QStringLiteral("  %1 s left")
                        .arg(std::ceil((announced - records) / rate), 0, 'f', 0);
        writeErr(line + QStringLiteral("    "));
        used_ = true;
    }
    ~ProgressLine()
    {
        if (used_) writeErr(QStringLiteral("\n"));
    }

private:
    int tag_;
    QElapsedTimer clock_;
    QElapsedTimer shown_;
    bool used_ = false;
};

}  // namespace

namespace {

// The options as --help lists them, with the commands each one is for.
struct OptionHelp {
    const char* entry;  // the first column
    const char* text;   // its description, lines joined by '\n'
    const char* commands;
};
constexpr OptionHelp kOptionHelp[] = {
    {"--port PORT",
     "COMn (through the settings file's Ports section;\n"
     "otherwise COMn is /dev/ttyS<n-1>) or a device path",
     "info tags config download"},
    {"--net HOST:PORT", "the instrument's network interface over TCP", "info tags config download"},
    {"--device N", "RS-485 device number: hear only instrument N", "info tags config download"},
    {"--settings FILE",
     "the settings file (default: NESMOCOMM_INI, else the\nprogram's NesmoComm.INI)",
     "ports info tags config download"},
    {"-o, --output PATH",
     "download into this folder (created when missing), or\n"
     "for one tag into this file; default the current folder",
     "download"},
    {"--all", "every tag that holds records, one file each", "download"},
    {"--skip-existing",
     "leave a tag alone whose file exists and holds it (the\n"
     "instrument's serial, the tag and its record count);\n"
     "a file of another recording under that tag number\n"
     "stays, and the tag is saved as UNTdddtt-2.txt",
     "download"},
    {"--force",
     "replace a tag's file that exists (without --force or\n"
     "--skip-existing an existing file stops the download)",
     "download"},
    {"--csv",
     "also write each downloaded tag as CSV, as the program's\n"
     "File > Export as CSV does: UNTdddtt.csv with the\n"
     "records and UNTdddtt.header.csv with the header values;\n"
     "times are the instrument's local clock, no offset",
     "download"},
    {"--json", "results as JSON", "ports info tags config download"},
    {"-q, --quiet", "no progress and no notes on standard error",
     "ports info tags config download"},
    {"-h, --help", "this text (after a command: that command's)",
     "ports info tags config download"},
    {"--version", "the version", ""},
};

QString optionLines(const QString& command)
{
    QString out = QStringLiteral("Options:\n");
    for (const OptionHelp& o : kOptionHelp) {
        const QStringList commands = QString::fromLatin1(o.commands).split(u' ');
        if (!command.isEmpty() && !commands.contains(command)) continue;
        const QStringList lines = QString::fromLatin1(o.text).split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i)
            out += QStringLiteral("  %1  %2\n")
                       .arg(QString::fromLatin1(i == 0 ? o.entry : "").leftJustified(20), lines[i]);
    }
    return out;
}

}  // namespace

int standardOutputError()
{
    return outputErrno;
}

QString helpText()
{
    return QStringLiteral(
               "Usage: nesmo7-cli [options] COMMAND [arguments]\n"
               "Reads a Nesmo-7 dust monitor: its identity, its tags and their logged data.\n"
               "It only asks; it never changes a setting, deletes or re-formats anything.\n"
               "'nesmo7-cli COMMAND --help' describes one command.\n"
               "\n"
               "Commands:\n"
               "  ports                 serial devices with their COM numbers, paths, USB ids\n"
               "                        and whether they can be opened\n"
               "  info                  serial number, firmware, run mode and clock\n"
               "  tags                  tag numbers and their record counts\n"
               "  config                the instrument's settings, read only (the alarm level\n"
               "                        of the current alarm mode only)\n"
               "  download TAG...       tags into logged-data files named as the program names\n"
               "                        them (UNTdddtt.txt: device number, tag)\n"
               "  download --all        every tag that holds records, one file each\n"
               "\n") +
           optionLines(QString()) +
           QStringLiteral(
               "\n"
               "A file is written whole once its dump is complete. A dump that ends early is\n"
               "kept as UNTdddtt.incomplete.txt.\n"
               "\n"
               "Exit status:\n"
               "  0  done\n"
               "  1  the instrument is logging (stop its run to read its tags)\n"
               "  2  usage error\n"
               "  3  no such port (a missing device, a COM number beyond COM50), no\n"
               "     permission, port busy or connection refused\n"
               "  4  the instrument is not answering\n"
               "  5  a dump is incomplete\n"
               "  6  a file or its folder cannot be written, or standard output\n"
               "  7  a tag's file exists (see --force and --skip-existing)\n"
               "  8  no such tag on the instrument\n"
               "  130  interrupted by Ctrl-C (SIGINT); what arrived of a dump is kept, as\n"
               "       for code 5; the tool ends by the signal, so a shell loop stops too\n"
               "  143  ended by SIGTERM, likewise\n");
}

QString commandHelpText(const QString& command)
{
    static const QMap<QString, QString> usage = {
        {QStringLiteral("ports"),
         QStringLiteral("Usage: nesmo7-cli ports [options]\n"
                        "The serial devices with their COM numbers (as the program and --port\n"
                        "number them), paths, USB ids and whether they can be opened.\n")},
        {QStringLiteral("info"),
         QStringLiteral("Usage: nesmo7-cli (--port PORT | --net HOST:PORT) info [options]\n"
                        "The instrument's serial number, firmware, run mode and clock.\n")},
        {QStringLiteral("tags"),
         QStringLiteral("Usage: nesmo7-cli (--port PORT | --net HOST:PORT) tags [options]\n"
                        "The instrument's tag numbers and their record counts.\n")},
        {QStringLiteral("config"),
         QStringLiteral("Usage: nesmo7-cli (--port PORT | --net HOST:PORT) config [options]\n"
                        "The instrument's settings, read only (the alarm level of the current\n"
                        "alarm mode only: reading another would switch modes).\n")},
        {QStringLiteral("download"),
         QStringLiteral("Usage: nesmo7-cli (--port PORT | --net HOST:PORT) download (TAG... | "
                        "--all) [options]\n"
                        "Tags into logged-data files named as the program names them\n"
                        "(UNTdddtt.txt: device number, tag), each written whole once its dump\n"
                        "is complete; a dump that ends early is kept as "
                        "UNTdddtt.incomplete.txt.\n")},
    };
    if (!usage.contains(command)) return helpText();
    return usage.value(command) + QStringLiteral("\n") + optionLines(command) +
           QStringLiteral("\nThe exit statuses: nesmo7-cli --help.\n");
}

int parseArguments(const QStringList& arguments, Options& o, QString& out, QString& error)
{
    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({"h", "help"}, "");
    const QCommandLineOption version("version", "");
    const QCommandLineOption port("port", "", "PORT");
    const QCommandLineOption net("net", "", "HOST:PORT");
    const QCommandLineOption device("device", "", "N");
    const QCommandLineOption settings("settings", "", "FILE");
    const QCommandLineOption output({"o", "output"}, "", "PATH");
    const QCommandLineOption all("all", "");
    const QCommandLineOption skip("skip-existing", "");
    const QCommandLineOption force("force", "");
    const QCommandLineOption csv("csv", "");
    const QCommandLineOption json("json", "");
    const QCommandLineOption quiet({"q", "quiet"}, "");
    p.addOptions(
        {help, version, port, net, device, settings, output, all, skip, force, csv, json, quiet});
    if (!p.parse(QStringList{QStringLiteral("nesmo7-cli")} + arguments)) {
        error = p.errorText();
        return kUsage;
    }
    if (p.isSet(help)) {
        const QStringList words = p.positionalArguments();
        out = words.isEmpty() ? helpText() : commandHelpText(words.first());
        return kDone;
    }
    if (p.isSet(version)) {
        out = QStringLiteral("nesmo7-cli %1\n").arg(QStringLiteral(NESMO_VERSION));
        return kDone;
    }
    QStringList args = p.positionalArguments();
    if (args.isEmpty()) {
        error = QStringLiteral("no command given (ports, info, tags, config or download)");
        return kUsage;
    }
    o.command = args.takeFirst();
    o.json = p.isSet(json);
    o.quiet = p.isSet(quiet);
    o.progress = !o.quiet && ::isatty(STDERR_FILENO);
    o.output = p.value(output);
    o.all = p.isSet(all);
    o.skipExisting = p.isSet(skip);
    o.force = p.isSet(force);
    if (o.force && o.skipExisting) {
        error = QStringLiteral("give --force or --skip-existing, not both");
        return kUsage;
    }
    o.csv = p.isSet(csv);

    const QString settingsPath = p.isSet(settings) ? p.value(settings) : defaultSettingsPath();
    if (p.isSet(settings) && !QFileInfo(settingsPath).isFile()) {
        error = QStringLiteral("no settings file %1").arg(settingsPath);
        return kUsage;
    }
    o.target.portMap = readPortsSection(settingsPath);
    if (p.isSet(device) && !toNumber(p.value(device), 0, 999, o.target.device)) {
        error = QStringLiteral("--device needs a number from 0 to 999");
        return kUsage;
    }

    if (o.command == QLatin1String("ports")) {
        if (!args.isEmpty()) {
            error = QStringLiteral("ports takes no arguments");
            return kUsage;
        }
        return kDone;
    }
    if (o.command != QLatin1String("info") && o.command != QLatin1String("tags") &&
        o.command != QLatin1String("config") && o.command != QLatin1String("download")) {
        error = QStringLiteral("unknown command %1").arg(o.command);
        return kUsage;
    }
    if (p.isSet(port) == p.isSet(net)) {
        error = QStringLiteral("give either --port or --net");
        return kUsage;
    }
    if (p.isSet(net)) {
        const QString address = p.value(net);
        const qsizetype colon = address.lastIndexOf(u':');
        int tcp = 0;
        if (colon <= 0 || !toNumber(address.mid(colon + 1), 1, 65535, tcp)) {
            error = QStringLiteral("--net needs HOST:PORT");
            return kUsage;
        }
        o.target.network = true;
        o.target.host = address.left(colon);
        o.target.tcpPort = quint16(tcp);
    } else {
        o.target.port = p.value(port);
    }

    if (o.command != QLatin1String("download")) {
        if (!args.isEmpty()) {
            error = QStringLiteral("%1 takes no arguments").arg(o.command);
            return kUsage;
        }
        return kDone;
    }
    for (const QString& a : std::as_const(args)) {
        int tag = 0;
        if (!toNumber(a, 0, 99, tag)) {
            error = QStringLiteral("a tag is a number from 0 to 99, not %1").arg(a);
            return kUsage;
        }
        if (!o.tags.contains(tag)) o.tags.append(tag);
    }
    if (o.all == !o.tags.isEmpty()) {
        error = QStringLiteral("download needs tag numbers or --all");
        return kUsage;
    }
    return kDone;
}

int runPorts(const Options& o)
{
    const QList<PortEntry> ports = listPorts(o.target.portMap);
    if (o.json) {
        QJsonArray list;
        for (const PortEntry& e : ports)
            list.append(QJsonObject{
                {"com", QStringLiteral("COM%1").arg(e.number)},
                {"number", e.number},
                {"device", e.device},
                {"description", e.description},
                {"usb", e.usbId.isEmpty() ? QJsonValue() : QJsonValue(e.usbId)},
                {"access", e.access},
            });
        writeJson(QJsonObject{{"ports", list}});
        return kDone;
    }
    for (const PortEntry& e : ports) {
        QString line = QStringLiteral("COM%1").arg(e.number).leftJustified(6) + e.device;
        if (!e.description.isEmpty()) line += QStringLiteral("   ") + e.description;
        if (!e.usbId.isEmpty()) line += QStringLiteral("   USB ") + e.usbId;
        writeOut(line + QStringLiteral("   (%1)\n").arg(e.access));
    }
    return kDone;
}

int runInfo(const Options& o)
{
    Session session(o.target);
    Result r = session.open(noticeFor(o));
    InstrumentInfo info;
    if (r.ok()) r = session.info(info);
    tellMessages(session, o, r);
    if (!r.ok()) return fail(r);
    if (o.json) {
        QJsonObject object{{"serial", info.serial},
                           {"firmware", info.firmware},
                           {"running", info.running},
                           {"clock", info.clock.isEmpty() ? QJsonValue() : QJsonValue(info.clock)}};
        if (o.target.device != 0) object.insert("device", o.target.device);
        writeJson(object);
        return kDone;
    }
    writeOut(QStringLiteral("serial    %1\nfirmware  %2\nrunning   %3\nclock     %4\n")
                 .arg(info.serial, info.firmware,
                      info.running ? QStringLiteral("yes") : QStringLiteral("no"),
                      info.clock.isEmpty() ? QStringLiteral("unknown") : info.clock));
    return kDone;
}

namespace {

// "key  value" lines of a JSON object, nested keys joined with a dot.
void writeFlat(const QJsonObject& object, const QString& prefix = QString())
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString key = prefix + it.key();
        const QJsonValue v = it.value();
        if (v.isObject()) {
            writeFlat(v.toObject(), key + u'.');
            continue;
        }
        QString value;
        if (v.isBool())
            value = v.toBool() ? QStringLiteral("yes") : QStringLiteral("no");
        else if (v.isDouble())
            value = QString::number(v.toDouble(), 'g', 12);
        else if (v.isString())
            value = v.toString();
        else
            value = QStringLiteral("unknown");
        writeOut(key.leftJustified(24) + value + u'\n');
    }
}

}  // namespace

int runConfig(const Options& o)
{
    Session session(o.target);
    Result r = session.open(noticeFor(o));
    QJsonObject config;
    if (r.ok()) r = session.config(config);
    tellMessages(session, o, r);
    if (!r.ok()) return fail(r);
    if (o.target.device != 0) config.insert("device", o.target.device);
    if (o.json)
        writeJson(config);
    else
        writeFlat(config);
    return kDone;
}

int runTags(const Options& o)
{
    Session session(o.target);
    Result r = session.open(noticeFor(o));
    QList<TagEntry> tags;
    if (r.ok()) r = session.tags(tags);
    tellMessages(session, o, r);
    if (!r.ok()) return fail(r);
    if (o.json) {
        QJsonArray list;
        for (const TagEntry& t : tags)
            list.append(QJsonObject{
                {"tag", t.tag}, {"records", t.records < 0 ? QJsonValue() : QJsonValue(t.records)}});
        writeJson(QJsonObject{{"tags", list}});
        return kDone;
    }
    writeOut(QStringLiteral("tag  records\n"));
    for (const TagEntry& t : tags)
        writeOut(QStringLiteral("%1  %2\n")
                     .arg(t.tag, 3)
                     .arg(t.records < 0 ? QStringLiteral("?") : QString::number(t.records), 7));
    return kDone;
}

namespace {

// "UNT00009.txt" gives "UNT00009.csv", "nine" gives "nine.csv".
QString csvFileName(const QString& dataFile)
{
    const QFileInfo info(dataFile);
    const QString base = info.suffix().isEmpty() ? info.fileName() : info.completeBaseName();
    return info.dir().filePath(base + QStringLiteral(".csv"));
}

int recordsOf(const QList<TagEntry>& listed, int tag)
{
    for (const TagEntry& t : listed)
        if (t.tag == tag) return t.records;
    return -1;
}

// Whether an existing file holds this recording: the instrument's serial, the
// tag and its record count as its header has them. Empty when it does; else
// what it holds instead.
QString differentRecording(const QString& path, const QString& serial, int tag, int records)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QStringLiteral("it cannot be read");
    const TagHeader h = readTagHeader(f.read(64 * 1024));
    const QString fileSerial = QString::fromLatin1(h.SerialNo.trimmed());
    if (fileSerial == serial.trimmed() && h.TagNumber == tag && h.NumberOfRecords == records)
        return {};
    return QStringLiteral("serial %1, tag %2, %3 records")
        .arg(fileSerial.isEmpty() ? QStringLiteral("none") : fileSerial)
        .arg(h.TagNumber)
        .arg(h.NumberOfRecords);
}

// "UNT00009.txt" gives the first of "UNT00009-2.txt", "UNT00009-3.txt", ...
// that does not exist.
QString freeName(const QString& path)
{
    const QFileInfo info(path);
    for (int n = 2;; ++n) {
        const QString name = info.dir().filePath(
            QStringLiteral("%1-%2.%3").arg(info.completeBaseName()).arg(n).arg(info.suffix()));
        if (!QFileInfo::exists(name) && !QFileInfo::exists(incompleteName(name))) return name;
    }
}

}  // namespace

int runDownload(const Options& o)
{
    // A folder (existing, named with a final slash, or for several tags), or the
    // file of one tag.
    const QString output = o.output.isEmpty() ? QStringLiteral(".") : o.output;
    const bool intoFolder =
        QFileInfo(output).isDir() || output.endsWith(u'/') || o.all || o.tags.size() > 1;
    if (QFileInfo(output).isFile() && intoFolder)
        return fail({kNotWritable, QStringLiteral("%1 is a file, not a folder").arg(output)});
    const QString folder = intoFolder ? output : QFileInfo(output).absolutePath();
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isWritable())
        return fail({kNotWritable, QStringLiteral("the folder %1 cannot be written").arg(folder)});

    Session session(o.target);
    Result r = session.open(noticeFor(o));
    QList<TagEntry> listed;
    if (r.ok()) r = session.tags(listed);
    tellMessages(session, o, r);
    if (!r.ok()) return fail(r);

    // The instrument's serial tells an existing file of its tag from another's.
    QString serial;
    if (o.skipExisting) {
        InstrumentInfo info;
        r = session.info(info);
        tellMessages(session, o, r);
        if (!r.ok()) return fail(r);
        serial = info.serial;
    }

    QList<int> wanted;
    for (const TagEntry& t : listed)
        if (o.all ? t.records != 0 : o.tags.contains(t.tag)) wanted.append(t.tag);
    for (int tag : o.tags) {
        if (!wanted.contains(tag))
            return fail({kNoSuchTag, QStringLiteral("the instrument holds no tag %1").arg(tag)});
    }

    int code = kDone;
    QJsonArray files;
    for (int tag : std::as_const(wanted)) {
        const QString named = QDir(folder).filePath(tagFileName(o.target.device, tag));
        QString path = intoFolder ? named : output;
        QJsonObject entry{{"tag", tag}, {"file", QFileInfo(path).absoluteFilePath()}};
        bool renamed = false;
        if (QFileInfo::exists(path) && !o.force) {
            if (!o.skipExisting)
                return fail(
                    {kFileExists, QStringLiteral("%1 exists: --force replaces it, --skip-existing "
                                                 "keeps it")
                                      .arg(path)});
            const QString other = differentRecording(path, serial, tag, recordsOf(listed, tag));
            if (other.isEmpty()) {
                entry.insert("skipped", true);
                files.append(entry);
                if (!o.json) writeOut(QStringLiteral("%1  exists, skipped\n").arg(path));
                continue;
            }
            // The tag number was used again after a delete: a new recording
            // under a name of its own.
            const QString free = freeName(path);
            writeErr(QStringLiteral("nesmo7-cli: %1 holds another recording (%2); tag %3 is "
                                    "saved as %4\n")
                         .arg(path, other)
                         .arg(tag)
                         .arg(free));
            path = free;
            renamed = true;
        }
        // The dump is written as it arrives, under a temporary name beside the
        // file it becomes: an existing file stays as it was until it is whole.
        StagedFile staged(QFileInfo(path).absolutePath());
        if (const QString error = staged.create(); !error.isEmpty()) {
            code = fail({kNotWritable, QStringLiteral("a file cannot be created in %1: %2")
                                           .arg(QFileInfo(path).absolutePath(), error)});
            break;
        }
        Dump dump;
        {
            ProgressLine line(tag);
            r = session.dump(tag, staged.path(), dump, [&](int records, int announced) {
                if (o.progress) line.update(records, announced);
            });
        }
        tellMessages(session, o, r);
        // An interrupted dump still keeps what arrived of it, as incomplete.
        const bool interrupted = r.code == kInterrupted;
        if (!r.ok() && !(interrupted && dump.size > 0)) {
            code = fail(r);
            break;
        }
        if (intoFolder && !renamed) path = QDir(folder).filePath(dump.fileName);
        const QString written = dump.complete ? path : incompleteName(path);
        const QString error = dump.error.isEmpty() ? staged.commit(written) : dump.error;
        entry.insert("file", QFileInfo(written).absoluteFilePath());
        entry.insert("records", dump.records);
        entry.insert("announced", dump.announced);
        entry.insert("complete", dump.complete);
        entry.insert("skipped", false);
        if (!error.isEmpty()) {
            entry.insert("error", error);
            files.append(entry);
            code = fail(
                {kNotWritable, QStringLiteral("%1 cannot be written: %2").arg(written, error)});
            break;
        }
        if (o.csv) {
            // The same CSV as the program exports from the saved file's text.
            const QString csvPath = csvFileName(written);
            const DataFileRead saved = readDataFile(written, kMaxDataFile);
            const CsvExport table = saved.error.isEmpty() ? exportCsv(saved.bytes) : CsvExport{};
            QString csvError = saved.error.isEmpty() ? table.error : saved.error;
            if (csvError.isEmpty()) csvError = saveWholeFile(csvPath, table.records);
            if (csvError.isEmpty())
                csvError = saveWholeFile(csvHeaderFileName(csvPath), table.header);
            entry.insert("csv", QFileInfo(csvPath).absoluteFilePath());
            if (!csvError.isEmpty()) {
                entry.insert("error", csvError);
                files.append(entry);
                code = fail({kNotWritable,
                             QStringLiteral("%1 cannot be written: %2").arg(csvPath, csvError)});
                break;
            }
        }
        files.append(entry);
        if (interrupted) {
            if (!o.json)
                writeOut(QStringLiteral("%1  %2 of %3 records  INCOMPLETE\n")
                             .arg(written)
                             .arg(dump.records)
                             .arg(dump.announced));
            code = fail(r);
            break;
        }
        if (dump.complete) {
            // An earlier attempt's remains, with their CSV files.
            const QString remains = incompleteName(path);
            QFile::remove(remains);
            QFile::remove(csvFileName(remains));
            QFile::remove(csvHeaderFileName(csvFileName(remains)));
        } else if (code == kDone) {
            code = kIncompleteDump;
            writeErr(QStringLiteral("nesmo7-cli: the dump of tag %1 ended after %2 of %3 records; "
                                    "kept as %4\n")
                         .arg(tag)
                         .arg(dump.records)
                         .arg(dump.announced)
                         .arg(written));
        }
        if (!o.json)
            writeOut(QStringLiteral("%1  %2 of %3 records%4\n")
                         .arg(written)
                         .arg(dump.records)
                         .arg(dump.announced)
                         .arg(dump.complete ? QString() : QStringLiteral("  INCOMPLETE")));
    }
    if (o.json) writeJson(QJsonObject{{"files", files}, {"complete", code == kDone}});
    return code;
}

}  // namespace nesmo::cli
