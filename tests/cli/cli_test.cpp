#include <gtest/gtest.h>

#include <sys/stat.h>

#include <csignal>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include "cli/session.h"
#include "files/csv_export.h"
#include "files/data_file.h"
#include "link/link.h"
#include "logged_data/data_text_page.h"
#include "reply/recording_view.h"
#include "support/test_support.h"

namespace nesmo::test {
namespace {

// nesmo7-cli against nesmo7-sim, each its own process, in a folder of their own:
// over a pseudo-terminal (as a device path) or over TCP.
struct CliRig {
    struct Outcome {
        int code = -1;
        QByteArray out, err;
        QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
    };

    explicit CliRig(const QStringList& simArgs, bool overTcp = false)
    {
        tty = dir.filePath("ttyNESMO7");
        sim = std::make_unique<SimProcess>(
            (overTcp ? QStringList{"--tcp", "0"} : QStringList{"--pty", tty}) +
            QStringList{"--log", dir.filePath("sim.log")} + simArgs);
        link = overTcp ? QStringList{"--net", QStringLiteral("127.0.0.1:%1").arg(sim->tcpPort())}
                       : QStringList{"--port", tty};
    }

    Outcome run(const QStringList& args, const QStringList& env = {})
    {
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        // Never the settings of whoever runs the tests.
        e.insert("NESMOCOMM_INI", dir.filePath("none.INI"));
        for (const QString& kv : env)
            e.insert(kv.section('=', 0, 0), kv.section('=', 1));
        p.setProcessEnvironment(e);
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral(NESMO_CLI_PATH), args);
        Outcome o;
        if (!p.waitForFinished(60000)) return o;
        o.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        o.out = p.readAllStandardOutput();
        o.err = p.readAllStandardError();
        return o;
    }
    Outcome cli(const QStringList& args) { return run(link + args); }
    // The tool started on the instrument, to be interrupted while it works.
    std::unique_ptr<QProcess> start(const QStringList& args)
    {
        auto p = std::make_unique<QProcess>();
        p->setWorkingDirectory(dir.path());
        p->start(QStringLiteral(NESMO_CLI_PATH), link + args);
        return p;
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    QString tty;
    QStringList link;
    std::unique_ptr<SimProcess> sim;
};

// What the program's Save As writes once a dump with this capture has ended on
// its Data text page.
QByteArray savedAs(const QByteArray& captured)
{
    AppState state;
    RecordingView view;
    Link link(state, view);
    ScriptedDialogs dialogs;
    DataTextPage page(state, link, dialogs);
    page.setTextBytes(captured);
    return dataFileBytes(page.pageText());
}

QByteArray sample(const char* name)
{
    return readFile(QStringLiteral(NESMO_TEST_DATA "/samples/") + QString::fromLatin1(name));
}

TEST(Cli, InfoOverPtyAndTcpReportsTheInstrument)
{
    for (bool tcp : {false, true}) {
        CliRig rig({"--serial", "12345", "--firmware", "1.30"}, tcp);
        ASSERT_TRUE(rig.sim->ready());
        const auto o = rig.cli({"info", "--json"});
        ASSERT_EQ(o.code, 0) << o.err.toStdString();
        const QJsonObject info = o.json();
        EXPECT_EQ(info["serial"].toString(), "12345");
        EXPECT_EQ(info["firmware"].toString(), "1.30");
        EXPECT_FALSE(info["running"].toBool());
        EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$")
                        .match(info["clock"].toString())
                        .hasMatch())
            << o.out.toStdString();
    }
}

TEST(Cli, ARunningInstrumentIsReportedAndItsTagsAreNotRead)
{
    CliRig rig({"--running"});
    ASSERT_TRUE(rig.sim->ready());
    EXPECT_TRUE(rig.cli({"info", "--json"}).json()["running"].toBool());
    EXPECT_EQ(rig.cli({"tags"}).code, 1);
    EXPECT_EQ(rig.cli({"download", "--all"}).code, 1);
    EXPECT_TRUE(QDir(rig.dir.path()).entryList({"UNT*"}, QDir::Files).isEmpty());
}

TEST(Cli, TagsOverTcpAndThroughAComNumberOfTheSettings)
{
    const QStringList tags{"--no-tags", "--tag", "3:10", "--tag", "7:25"};
    const auto check = [](const CliRig::Outcome& o) {
        ASSERT_EQ(o.code, 0) << o.err.toStdString();
        const QJsonArray list = o.json()["tags"].toArray();
        ASSERT_EQ(list.size(), 2) << o.out.toStdString();
        EXPECT_EQ(list[0].toObject(), (QJsonObject{{"tag", 3}, {"records", 10}}));
        EXPECT_EQ(list[1].toObject(), (QJsonObject{{"tag", 7}, {"records", 25}}));
    };
    {
        CliRig rig(tags, true);
        check(rig.cli({"tags", "--json"}));
    }
    CliRig rig(tags);
    writeFile(rig.path("ports.INI"),
              "[Setup]\nComPort=1\n[Ports]\nCOM7=" + rig.tty.toUtf8() + "\n");
    check(rig.run({"--settings", rig.path("ports.INI"), "--port", "COM7", "tags", "--json"}));
    // The settings named by the environment, as the program reads them.
    check(
        rig.run({"--port", "com7", "tags", "--json"}, {"NESMOCOMM_INI=" + rig.path("ports.INI")}));
    // The ports the settings name are listed with their numbers.
    const QJsonArray ports =
        rig.run({"--settings", rig.path("ports.INI"), "ports", "--json"}).json()["ports"].toArray();
    const auto com7 = std::find_if(ports.begin(), ports.end(), [](const QJsonValue& v) {
        return v.toObject()["com"].toString() == "COM7";
    });
    ASSERT_NE(com7, ports.end());
    EXPECT_EQ((*com7).toObject()["device"].toString(), rig.tty);
    EXPECT_EQ((*com7).toObject()["access"].toString(), "available");
    // Without a Ports entry COM7 is /dev/ttyS6.
    EXPECT_NE(rig.run({"--port", "COM7", "tags"}).code, 0);
}

TEST(Cli, DownloadWritesWhatSaveAsWrites)
{
    CliRig rig({});
    ASSERT_TRUE(rig.sim->ready());
    const auto o = rig.cli({"download", "9", "-o", "site-a/", "--json"});
    ASSERT_EQ(o.code, 0) << o.err.toStdString();
    EXPECT_TRUE(o.err.isEmpty()) << o.err.toStdString();  // no progress without a terminal
    EXPECT_EQ(readFile(rig.path("site-a/UNT00009.txt")), savedAs(sample("dump-tag9.scratch.txt")));
    const QJsonObject file = o.json()["files"].toArray()[0].toObject();
    EXPECT_EQ(file["records"].toInt(), 6);
    EXPECT_EQ(file["announced"].toInt(), 6);
    EXPECT_TRUE(file["complete"].toBool());
    EXPECT_EQ(QDir(rig.path("site-a")).entryList(QDir::Files), QStringList{"UNT00009.txt"});

    // --csv: the CSV the program exports from the same file.
    const auto csv = rig.cli({"download", "9", "-o", "csv/", "--csv", "--json"});
    ASSERT_EQ(csv.code, 0) << csv.err.toStdString();
    const CsvExport table = exportCsv(savedAs(sample("dump-tag9.scratch.txt")));
    EXPECT_EQ(readFile(rig.path("csv/UNT00009.csv")), table.records);
    EXPECT_EQ(readFile(rig.path("csv/UNT00009.header.csv")), table.header);
    EXPECT_EQ(csv.json()["files"].toArray()[0].toObject()["csv"].toString(),
              QFileInfo(rig.path("csv/UNT00009.csv")).absoluteFilePath());

    // -o naming a file for one tag.
    EXPECT_EQ(rig.cli({"download", "9", "-o", "nine.txt", "--quiet"}).code, 0);
    EXPECT_EQ(readFile(rig.path("nine.txt")), readFile(rig.path("site-a/UNT00009.txt")));

    // Only queries and the dump reached the instrument.
    EXPECT_EQ(rig.cli({"info"}).code, 0);
    const QSet<QByteArray> allowed{"v 144", "V 141", "v 157",  "date",
                                   "time",  "tags",  "tags 1", "tagdump  9 "};
    const QList<QByteArray> received = readFile(rig.path("sim.log")).split('\r');
    EXPECT_GT(received.size(), 10);
    for (const QByteArray& command : received)
        EXPECT_TRUE(command.isEmpty() || allowed.contains(command)) << command.toStdString();
}

TEST(Cli, DownloadAllOverTcpAndSkipExisting)
{
    CliRig rig({"--no-tags", "--tag", "3:10", "--tag", "5:0", "--tag", "7:25"}, true);
    ASSERT_TRUE(rig.sim->ready());
    const auto o = rig.cli({"download", "--all", "-o", "out", "--json"});
    ASSERT_EQ(o.code, 0) << o.err.toStdString();
    EXPECT_EQ(QDir(rig.path("out")).entryList(QDir::Files),
              (QStringList{"UNT00003.txt", "UNT00007.txt"}));  // tag 5 holds no records
    for (auto [name, records] : {std::pair{"out/UNT00003.txt", 10}, {"out/UNT00007.txt", 25}}) {
        const QByteArray bytes = readFile(rig.path(name));
        EXPECT_EQ(bytes.count("\r\n"), 15 + records) << name;
        EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n")) << name;
        EXPECT_TRUE(bytes.contains(QByteArray(" ") + QByteArray::number(records) + ","));
    }

    // The same recordings on disk: skipped. Without a flag an existing file stops it.
    const auto same = rig.cli({"download", "--all", "-o", "out", "--skip-existing", "--json"});
    ASSERT_EQ(same.code, 0) << same.err.toStdString();
    for (const QJsonValue f : same.json()["files"].toArray())
        EXPECT_TRUE(f.toObject()["skipped"].toBool());
    const QByteArray seven = readFile(rig.path("out/UNT00007.txt"));
    const auto exists = rig.cli({"download", "7", "-o", "out"});
    EXPECT_EQ(exists.code, 7);
    EXPECT_TRUE(exists.err.contains("--force replaces it")) << exists.err.toStdString();

    // A file of another recording under tag 3 stays; the tag gets a name of its own.
    writeFile(rig.path("out/UNT00003.txt"), "kept\r\n");
    QFile::remove(rig.path("out/UNT00007.txt"));
    const auto again = rig.cli({"download", "--all", "-o", "out", "--skip-existing", "--json"});
    ASSERT_EQ(again.code, 0) << again.err.toStdString();
    EXPECT_EQ(readFile(rig.path("out/UNT00003.txt")), "kept\r\n");
    EXPECT_EQ(readFile(rig.path("out/UNT00003-2.txt")).count("\r\n"), 15 + 10);
    EXPECT_TRUE(again.err.contains("holds another recording")) << again.err.toStdString();
    EXPECT_EQ(readFile(rig.path("out/UNT00007.txt")), seven);
    const QJsonArray files = again.json()["files"].toArray();
    ASSERT_EQ(files.size(), 2);
    EXPECT_TRUE(files[0].toObject()["file"].toString().endsWith("UNT00003-2.txt"));
    EXPECT_FALSE(files[1].toObject()["skipped"].toBool());
    // --force replaces a file with its own permissions; a new file gets the
    // usual ones (not those of the temporary file it was written as), and no
    // temporary file is left.
    QFile::setPermissions(rig.path("out/UNT00003.txt"), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(rig.cli({"download", "3", "-o", "out", "--force"}).code, 0);
    EXPECT_EQ(readFile(rig.path("out/UNT00003.txt")).count("\r\n"), 15 + 10);
    struct stat replaced {
    }, created{};
    ASSERT_EQ(::stat(QFile::encodeName(rig.path("out/UNT00003.txt")).constData(), &replaced), 0);
    ASSERT_EQ(::stat(QFile::encodeName(rig.path("out/UNT00007.txt")).constData(), &created), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(replaced.st_mode & 0777, 0600u);
    EXPECT_EQ(created.st_mode & 0777, 0666u & ~mask);
    EXPECT_EQ(QDir(rig.path("out")).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"UNT00003-2.txt", "UNT00003.txt", "UNT00007.txt"}));
}

TEST(Cli, CutDumpIsKeptAsIncomplete)
{
    CliRig rig({"--cut-dump"});
    ASSERT_TRUE(rig.sim->ready());
    writeFile(rig.path("UNT00009.txt"), "an older complete file\r\n");
    const auto o = rig.cli({"download", "9", "--force"});
    EXPECT_EQ(o.code, 5) << o.err.toStdString();
    const QByteArray expected = sample("dump-tag9.scratch.txt");
    EXPECT_EQ(readFile(rig.path("UNT00009.incomplete.txt")),
              savedAs(expected.left(expected.lastIndexOf("    6,"))));
    EXPECT_EQ(readFile(rig.path("UNT00009.txt")), "an older complete file\r\n");
    EXPECT_TRUE(o.err.contains("5 of 6")) << o.err.toStdString();
}

TEST(Cli, AnInterruptedDownloadKeepsWhatArrived)
{
    CliRig rig({"--pace", "--no-tags", "--tag", "11:600:10"});
    ASSERT_TRUE(rig.sim->ready());
    const auto started = rig.start({"download", "11", "--json"});
    QProcess& p = *started;
    ASSERT_TRUE(p.waitForStarted());
    QTest::qWait(2000);  // the header and some records, of about six seconds' worth
    p.terminate();
    ASSERT_TRUE(p.waitForFinished(5000));
    // It keeps what arrived, then ends by the signal (a shell reports 143).
    EXPECT_EQ(p.exitStatus(), QProcess::CrashExit) << p.readAllStandardError().toStdString();
    const QJsonObject file =
        QJsonDocument::fromJson(p.readAllStandardOutput())["files"].toArray()[0].toObject();
    EXPECT_FALSE(file["complete"].toBool());
    EXPECT_GT(file["records"].toInt(), 0);
    EXPECT_LT(file["records"].toInt(), 600);
    const QByteArray kept = readFile(rig.path("UNT00011.incomplete.txt"));
    EXPECT_TRUE(kept.startsWith("\"Model Number\"")) << kept.left(80).toStdString();
    EXPECT_EQ(kept.count("\r\n  "), file["records"].toInt());
    EXPECT_FALSE(QFileInfo::exists(rig.path("UNT00011.txt")));
}

TEST(Cli, ConfigReadsTheSettingsAndChangesNothing)
{
    CliRig rig({"--device", "3", "--serial", "4242", "--firmware", "1.30"});
    ASSERT_TRUE(rig.sim->ready());
    // Fields in a comma locale; the JSON's numbers are numbers all the same.
    const auto o = rig.run(rig.link + QStringList{"--device", "3", "config", "--json"},
                           {"LC_ALL=de_DE.UTF-8", "LANG=de_DE.UTF-8"});
    ASSERT_EQ(o.code, 0) << o.err.toStdString();
    const QJsonObject c = o.json();
    EXPECT_EQ(c["serial"].toString(), "4242");
    EXPECT_EQ(c["firmware"].toString(), "1.30");
    EXPECT_EQ(c["device"].toInt(), 3);
    EXPECT_EQ(c["log_period_s"].toInt(), 60);
    EXPECT_EQ(c["tag"].toInt(), 3);
    EXPECT_TRUE(c["logging"].toBool());
    EXPECT_EQ(c["display_averaging_s"].toDouble(), 10);
    EXPECT_EQ(c["units"]["name"].toString(), "MASS [mg/m3]");
    EXPECT_EQ(c["flow_rate_lpm"].toDouble(), 1.7);
    EXPECT_EQ(c["inlet"]["name"].toString(), "TOTAL");
    EXPECT_TRUE(c["rh_correction"].toBool());
    EXPECT_EQ(c["alarm"]["mode"].toString(), "off");
    EXPECT_TRUE(c["alarm"]["level"].isNull());
    EXPECT_EQ(c["site"]["number"].toInt(), 1);
    EXPECT_EQ(c["calibration_factor"].toDouble(), 1.0);
    EXPECT_FALSE(c["clock"].toString().isEmpty());

    // Only queries reached the instrument: no alarm mode was switched to read a level.
    const QSet<QByteArray> queries{"v 144",     "V 141",      "v 157", "logperiod", "autostart",
                                   "tag",       "displayavg", "units", "analogout", "flowrate",
                                   "rhcorrect", "backlight",  "alarm", "inlet",     "site",
                                   "calfactor", "date",       "time"};
    for (const QByteArray& command : readFile(rig.path("sim.log")).split('\r'))
        EXPECT_TRUE(command.isEmpty() || queries.contains(command)) << command.toStdString();
    const auto text = rig.cli({"--device", "3", "config"});
    EXPECT_TRUE(text.out.contains("flow_rate_lpm           1.7\n")) << text.out.toStdString();
}

TEST(Cli, ConfigNumbersHaveTheInstrumentsPrecisionInAnyLocale)
{
    CliRig rig({}, true);
    ASSERT_TRUE(rig.sim->ready());
    // The current site's factor set with three decimals, as the instrument keeps it
    // (the configuration page shows two).
    QTcpSocket raw;
    raw.connectToHost(QHostAddress::LocalHost, rig.sim->tcpPort());
    ASSERT_TRUE(raw.waitForConnected(5000));
    raw.write("calfactor 1.234\r");
    QByteArray reply;
    while (!reply.contains('>') && raw.waitForReadyRead(5000))
        reply += raw.readAll();
    ASSERT_TRUE(reply.contains("CALFACTOR 1.234")) << reply.toStdString();
    raw.disconnectFromHost();

    const auto o = rig.run(rig.link + QStringList{"config", "--json"},
                           {"LC_ALL=de_DE.UTF-8", "LANG=de_DE.UTF-8"});
    ASSERT_EQ(o.code, 0) << o.err.toStdString();
    EXPECT_EQ(o.json()["calibration_factor"].toDouble(), 1.234);
    EXPECT_EQ(o.json()["flow_rate_lpm"].toDouble(), 1.7);
    EXPECT_TRUE(o.out.contains("\"calibration_factor\": 1.234")) << o.out.toStdString();
}

TEST(Cli, Rs485DeviceNumber)
{
    CliRig rig({"--device", "3"});
    ASSERT_TRUE(rig.sim->ready());
    const auto info = rig.cli({"--device", "3", "info", "--json"});
    ASSERT_EQ(info.code, 0) << info.err.toStdString();
    EXPECT_EQ(info.json()["serial"].toString(), "20871");
    EXPECT_EQ(info.json()["device"].toInt(), 3);
    ASSERT_EQ(rig.cli({"--device", "3", "download", "9", "-q"}).code, 0);
    EXPECT_EQ(readFile(rig.path("UNT00309.txt")), savedAs(sample("dump-tag9-device3.scratch.txt")));
    // Another instrument's lines are not heard.
    EXPECT_EQ(rig.cli({"--device", "4", "info"}).code, 4);
}

TEST(Cli, FailuresHaveTheirExitCodes)
{
    CliRig silent({"--silent"});
    ASSERT_TRUE(silent.sim->ready());
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(silent.cli({"info"}).code, 4);
    EXPECT_LT(t.elapsed(), 10000);

    EXPECT_EQ(silent.run({"--port", silent.path("no-such-tty"), "info"}).code, 3);
    // A COM number beyond the program's is no such port either, not a usage error.
    EXPECT_EQ(silent.run({"--port", "COM99", "info"}).code, 3);
    {
        QSerialPort holder(silent.tty);
        ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
        const auto busy = silent.cli({"info"});
        EXPECT_EQ(busy.code, 3) << busy.err.toStdString();
    }
    CliRig silentTcp({"--silent"}, true);
    EXPECT_EQ(silentTcp.cli({"info"}).code, 4);
    quint16 closedPort = 0;
    {
        QTcpServer server;
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
        closedPort = server.serverPort();
    }
    EXPECT_EQ(silent.run({"--net", QStringLiteral("127.0.0.1:%1").arg(closedPort), "tags"}).code,
              3);

    CliRig rig({});
    writeFile(rig.path("a-file"), "x");
    EXPECT_EQ(rig.cli({"download", "9", "-o", "a-file/sub/"}).code, 6);
    EXPECT_EQ(rig.cli({"download", "42"}).code, 8);  // no such tag
    for (const QStringList& wrong : {QStringList{},
                                     {"info"},
                                     {"--port", "x", "--net", "h:1", "info"},
                                     {"--port", "x", "fly"},
                                     {"--port", "x", "download"},
                                     {"--port", "x", "download", "100"},
                                     {"--net", "nohost", "info"}})
        EXPECT_EQ(rig.run(wrong).code, 2) << wrong.join(' ').toStdString();
}

TEST(Cli, CtrlCStopsTheShellLoopAroundTheTool)
{
    CliRig rig({"--pace", "--no-tags", "--tag", "11:600:10", "--tag", "15:600:10"});
    ASSERT_TRUE(rig.sim->ready());
    // The loop a nightly script runs, in a process group of its own.
    const QString loop =
        QStringLiteral("for t in 11 15; do \"%1\" %2 download $t -q; echo \"after $t\"; done")
            .arg(QStringLiteral(NESMO_CLI_PATH), rig.link.join(' '));
    QProcess shell;
    shell.setWorkingDirectory(rig.path("."));
    shell.start("setsid", {"bash", "-c", loop});
    ASSERT_TRUE(shell.waitForStarted());
    QTest::qWait(2000);  // tag 11's header and some of its records
    ::kill(-static_cast<pid_t>(shell.processId()), SIGINT);
    ASSERT_TRUE(shell.waitForFinished(10000));
    // The shell stopped with the tool: no "after", no tag 15.
    EXPECT_EQ(shell.exitStatus(), QProcess::CrashExit);
    EXPECT_FALSE(shell.readAllStandardOutput().contains("after"));
    EXPECT_TRUE(QFileInfo::exists(rig.path("UNT00011.incomplete.txt")));
    EXPECT_FALSE(QFileInfo::exists(rig.path("UNT00015.txt")));

    // A complete download takes an earlier attempt's remains away, CSV files too.
    for (const char* name : {"UNT00011.incomplete.csv", "UNT00011.incomplete.header.csv"})
        writeFile(rig.path(name), "old\r\n");
    CliRig quick({"--no-tags", "--tag", "11:5:10"});
    ASSERT_TRUE(quick.sim->ready());
    const QStringList args =
        quick.link + QStringList{"download", "11", "--csv", "-o", rig.path(".")};
    EXPECT_EQ(quick.run(args).code, 0);
    for (const char* name :
         {"UNT00011.incomplete.txt", "UNT00011.incomplete.csv", "UNT00011.incomplete.header.csv"})
        EXPECT_FALSE(QFileInfo::exists(rig.path(name))) << name;
}

TEST(Cli, ADumpLeftRunningIsWaitedOutByTheNextRun)
{
    CliRig rig({"--pace", "--no-tags", "--tag", "11:300:10"});
    ASSERT_TRUE(rig.sim->ready());
    const auto first = rig.start({"download", "11", "-q"});
    ASSERT_TRUE(first->waitForStarted());
    QTest::qWait(1500);
    first->terminate();
    ASSERT_TRUE(first->waitForFinished(5000));
    // The instrument goes on sending the rest of tag 11: the next run lets it
    // end before it asks anything, and its own answers are its own.
    const auto next = rig.cli({"info", "--json"});
    EXPECT_EQ(next.code, 0) << next.err.toStdString();
    EXPECT_TRUE(next.err.contains("the instrument is still sending a dump"))
        << next.err.toStdString();
    EXPECT_EQ(next.json()["serial"].toString(), "20871");
}

TEST(Cli, AnOutputThatCannotBeWrittenIsAnError)
{
    CliRig rig({});
    ASSERT_TRUE(rig.sim->ready());
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("NESMOCOMM_INI", rig.path("none.INI"));
    p.setProcessEnvironment(e);
    p.setStandardOutputFile("/dev/full");
    for (const QStringList& args : {rig.link + QStringList{"info"}, QStringList{"--help"}}) {
        p.start(QStringLiteral(NESMO_CLI_PATH), args);
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), 6) << args.join(' ').toStdString();
        EXPECT_TRUE(p.readAllStandardError().contains("cannot write to standard output"));
    }
}

TEST(Cli, HelpVersionAndNoWidgetLibraries)
{
    CliRig rig({});
    const auto help = rig.run({"--help"});
    EXPECT_EQ(help.code, 0);
    for (const char* code : {"0  done", "3  no such port", "4  the instrument is not answering",
                             "5  a dump is incomplete", "6  a file"})
        EXPECT_TRUE(help.out.contains(code)) << code;
    EXPECT_EQ(rig.run({"--version"}).out, "nesmo7-cli " NESMO_VERSION "\n");

    QProcess ldd;
    ldd.start("ldd", {QStringLiteral(NESMO_CLI_PATH)});
    ASSERT_TRUE(ldd.waitForFinished(10000));
    const QByteArray libraries = ldd.readAllStandardOutput();
    EXPECT_TRUE(libraries.contains("libQt6Core")) << libraries.toStdString();
    EXPECT_FALSE(libraries.contains("libQt6Gui")) << libraries.toStdString();
    EXPECT_FALSE(libraries.contains("libQt6Widgets")) << libraries.toStdString();
}

}  // namespace
}  // namespace nesmo::test
