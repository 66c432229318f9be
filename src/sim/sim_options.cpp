#include "sim/sim_options.h"

#include <QCommandLineParser>

namespace nesmo::sim {

namespace {

bool toInt(const QString& text, int low, int high, int& out)
{
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (!ok || v < low || v > high) return false;
    out = v;
    return true;
}

// "N:COUNT[:PERIOD]"
bool parseTagRequest(const QString& text, bool withPeriod, TagRequest& request)
{
    const QStringList parts = text.split(':');
    if (parts.size() < 2 || parts.size() > (withPeriod ? 3 : 2)) return false;
    if (!toInt(parts[0], 0, 99, request.number)) return false;
    if (!toInt(parts[1], 0, TagStore::kMaxRecords, request.count)) return false;
    request.periodSeconds = 60;
    return parts.size() < 3 || toInt(parts[2], 1, 3600, request.periodSeconds);
}

// "pass", "fail", "never" or "after:N"
bool parseIntegrity(const QString& text, IntegrityBehaviour& integrity)
{
    integrity = {};
    if (text == "pass") return true;
    if (text == "fail") {
        integrity.outcome = IntegrityBehaviour::Fail;
        return true;
    }
    if (text == "never") {
        integrity.outcome = IntegrityBehaviour::Never;
        return true;
    }
    return text.startsWith("after:") && toInt(text.mid(6), 0, 1000, integrity.busyReports);
}

}  // namespace

ParseOutcome parseOptions(const QStringList& arguments, SimOptions& o, QString& message)
{
    QCommandLineParser p;
    p.setApplicationDescription(
        "nesmo7-sim: a simulated Nesmo-7 dust monitor. It answers the instrument's command\n"
        "language on a pseudo-terminal and/or a TCP port, keeps its own settings, clock,\n"
        "site list and logged tags, and can misbehave on request.\n"
        "Built-in tags: 1 (100 records, 1 min), 2 (empty), 3 (1 record), 4 (3000, 10 s)\n"
        "and 9 (6 records, one of them full of CR, LF, '\"', '>' and 0xDF bytes).\n"
        "Signals: SIGTERM/SIGINT end it cleanly; SIGUSR1 sends one burst of noise.");
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    const QCommandLineOption version("version", "Show the version.");
    const QCommandLineOption pty("pty", "Serve a pseudo-terminal; link PATH to its slave device.",
                                 "PATH");
    const QCommandLineOption tcp("tcp", "Listen on 127.0.0.1:PORT (0 picks a free port).", "PORT");
    const QCommandLineOption serial("serial", "Serial number (default 20871).", "TEXT");
    const QCommandLineOption firmware("firmware", "Firmware version (default 1.28).", "VERSION");
    const QCommandLineOption device("device", "RS-485 device number N: every line starts \"N \".",
                                    "N");
    const QCommandLineOption running("running", "Start in run mode.");
    const QCommandLineOption clock("clock", "Instrument clock at start, \"yyyy-MM-dd hh:mm:ss\".",
                                   "TIME");
    const QCommandLineOption reformat("reformat-seconds",
                                      "Duration of a memory re-format (default 100).", "S");
    const QCommandLineOption tag("tag", "Add or replace tag N with COUNT generated records.",
                                 "N:COUNT[:PERIOD]");
    const QCommandLineOption tricky("tricky-tag",
                                    "Add or replace tag N with COUNT records whose bytes "
                                    "include CR, LF, '\"', '>' and 0xDF.",
                                    "N:COUNT");
    const QCommandLineOption noTags("no-tags", "Start without the built-in tags 1, 2, 3, 4 and 9.");
    const QCommandLineOption refuse(
        "refuse-sends", "Refuse each firmware record N times before accepting it.", "N");
    const QCommandLineOption integrity(
        "integrity",
        "Outcome of the firmware integrity test: pass (the image decides; default), fail "
        "(never 99), never (\"V 252 BUSY\" for ever) or after:N (\"V 252 BUSY\" for the "
        "first N reports after \"v 252 1\", then as pass; N 0-1000).",
        "RESULT");
    const QCommandLineOption stickyRun("sticky-run",
                                       "A run cannot be stopped with the keys (ESC, ENTER, "
                                       "ON/OFF).");
    const QCommandLineOption reformatNever(
        "reformat-never", "A memory re-format starts but never reports \"V 160 ON\".");
    const QCommandLineOption silent("silent", "Never answer.");
    const QCommandLineOption noPrompt("no-prompt", "Leave the prompt out of every reply.");
    const QCommandLineOption promptOnBlank("prompt-on-blank",
                                           "Answer a bare CR with the prompt (as some "
                                           "instruments do).");
    const QCommandLineOption noise("noise", "Send random bytes now and then between replies.");
    const QCommandLineOption noiseInterval(
        "noise-interval", "Mean time between bursts of noise (default 4000).", "MS");
    const QCommandLineOption seed("seed", "Seed of the noise (default 7).", "N");
    const QCommandLineOption chunk("chunk", "Write replies in chunks of N bytes.", "N");
    const QCommandLineOption chunkDelay("chunk-delay", "Pause between chunks (default 20).", "MS");
    const QCommandLineOption dropAfter("drop-after", "Close the link after N commands.", "N");
    const QCommandLineOption cutTransfer(
        "cut-transfer",
        "Cut the line once N firmware records of a transfer have been accepted: the links "
        "close and come back half a second later, the instrument as the cut left it.",
        "N");
    const QCommandLineOption cutDump("cut-dump",
                                     "A dump stops before its last record, without prompt.");
    const QCommandLineOption pace("pace", "Pace output like 19200 baud (1920 bytes/s).");
    const QCommandLineOption log("log", "Append every byte received from the program to FILE.",
                                 "FILE");
    p.addOptions({help,   version,       pty,        tcp,       serial,        firmware,
                  device, running,       clock,      reformat,  tag,           tricky,
                  noTags, refuse,        silent,     noPrompt,  noise,         noiseInterval,
                  seed,   chunk,         chunkDelay, dropAfter, cutDump,       pace,
                  log,    promptOnBlank, integrity,  stickyRun, reformatNever, cutTransfer});

    if (!p.parse(arguments)) {
        message = p.errorText();
        return ParseOutcome::Error;
    }
    if (p.isSet(help)) {
        message = p.helpText() +
                  QStringLiteral(
                      "\nExit status:\n"
                      "  0  a clean end (SIGTERM, SIGINT, SIGHUP), --help or --version\n"
                      "  1  the pseudo-terminal, the TCP port or the log cannot be opened\n"
                      "  2  a wrong command line\n");
        return ParseOutcome::Help;
    }
    if (p.isSet(version)) {
        message = QStringLiteral("nesmo7-sim %1\n").arg(QStringLiteral(NESMO_VERSION));
        return ParseOutcome::Help;
    }
    if (!p.positionalArguments().isEmpty()) {
        message = "unexpected argument: " + p.positionalArguments().first();
        return ParseOutcome::Error;
    }

    auto fail = [&message](const QString& text) {
        message = text;
        return ParseOutcome::Error;
    };
    InstrumentSetup& in = o.instrument;
    o.ptyPath = p.value(pty);
    if (p.isSet(tcp) && !toInt(p.value(tcp), 0, 65535, o.tcpPort))
        return fail("--tcp needs a port from 0 to 65535");
    if (o.ptyPath.isEmpty() && o.tcpPort < 0) return fail("give --pty PATH, --tcp PORT or both");

    if (p.isSet(serial)) {
        const QString s = p.value(serial);
        if (s.isEmpty() || s.size() > 10 || s.contains('"') || s.contains(' '))
            return fail("--serial needs up to 10 characters without blanks or quotes");
        in.serial = s.toLatin1();
    }
    if (p.isSet(firmware)) {
        bool ok = false;
        const double v = p.value(firmware).toDouble(&ok);
        if (!ok || !(v > 0.0 && v < 100.0)) return fail("--firmware needs a version such as 1.28");
        in.firmware = p.value(firmware).toLatin1();
    }
    if (p.isSet(device) && !toInt(p.value(device), 0, 255, in.device))
        return fail("--device needs a number from 0 to 255");
    in.running = p.isSet(running);
    if (p.isSet(clock)) {
        QDateTime t = QDateTime::fromString(p.value(clock), "yyyy-MM-dd hh:mm:ss");
        if (!t.isValid()) t = QDateTime::fromString(p.value(clock), Qt::ISODate);
        if (!t.isValid()) return fail("--clock needs \"yyyy-MM-dd hh:mm:ss\"");
        in.clock = QDateTime(t.date(), t.time(), Qt::UTC);
    }
    if (p.isSet(reformat) && !toInt(p.value(reformat), 0, 3600, in.reformatSeconds))
        return fail("--reformat-seconds needs 0 to 3600");
    for (const QString& v : p.values(tag)) {
        TagRequest s;
        if (!parseTagRequest(v, true, s))
            return fail("--tag needs N:COUNT[:PERIOD] with N 0-99, COUNT 0-65535, PERIOD 1-3600");
        in.tags.append(s);
    }
    for (const QString& v : p.values(tricky)) {
        TagRequest s;
        if (!parseTagRequest(v, false, s))
            return fail("--tricky-tag needs N:COUNT with N 0-99, COUNT 0-65535");
        in.trickyTags.append(s);
    }
    in.builtInTags = !p.isSet(noTags);
    if (p.isSet(refuse) && !toInt(p.value(refuse), 0, 100, in.refuseSends))
        return fail("--refuse-sends needs 0 to 100");
    if (p.isSet(integrity) && !parseIntegrity(p.value(integrity), in.integrity))
        return fail("--integrity needs pass, fail, never or after:N with N 0-1000");
    in.stickyRun = p.isSet(stickyRun);
    in.reformatNever = p.isSet(reformatNever);
    in.noPrompt = p.isSet(noPrompt);
    in.cutDump = p.isSet(cutDump);

    o.silent = p.isSet(silent);
    o.promptOnBlank = p.isSet(promptOnBlank);
    o.noise = p.isSet(noise);
    if (p.isSet(noiseInterval) && !toInt(p.value(noiseInterval), 10, 3600000, o.noiseIntervalMs))
        return fail("--noise-interval needs 10 to 3600000 ms");
    if (p.isSet(seed)) {
        bool ok = false;
        o.seed = p.value(seed).toULongLong(&ok);
        if (!ok) return fail("--seed needs a number");
    }
    if (p.isSet(chunk) && !toInt(p.value(chunk), 1, 1 << 20, o.shape.chunk))
        return fail("--chunk needs a byte count of at least 1");
    if (p.isSet(chunkDelay) && !toInt(p.value(chunkDelay), 0, 60000, o.shape.chunkDelayMs))
        return fail("--chunk-delay needs 0 to 60000 ms");
    o.shape.pace = p.isSet(pace);
    if (p.isSet(dropAfter) && !toInt(p.value(dropAfter), 1, 1 << 30, o.dropAfter))
        return fail("--drop-after needs a count of at least 1");
    if (p.isSet(cutTransfer) && !toInt(p.value(cutTransfer), 1, 1 << 30, o.cutTransfer))
        return fail("--cut-transfer needs a count of at least 1");
    o.logPath = p.value(log);
    return ParseOutcome::Run;
}

}  // namespace nesmo::sim
