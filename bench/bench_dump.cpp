// End-to-end download: nesmo7-sim serves a tag and the real main window (offscreen)
// captures it until the Data text page shows it.
//   bench_dump [records=65535] [paced-records=2000]
// Prints the wall time and the peak resident memory of a 65,535-record dump over
// loopback TCP without pacing, beside a minimal client reading the same dump from
// the same simulator with plain system calls in the same run, and how long a dump
// paced at 19200 baud takes over a pseudo-terminal compared with the time its
// bytes take on the line.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <vector>

#include "bench_common.h"
#include "bench_dialogs.h"
#include "bench_raw.h"
#include "core/dialogs.h"
#include "logged_data/data_text_page.h"
#include "shell/main_page.h"
#include "shell/main_window.h"

namespace {

struct Sim {
    explicit Sim(const QStringList& args)
    {
        p.start(QStringLiteral(NESMO_SIM_PATH), args);
        p.waitForStarted();
        while (p.waitForReadyRead(5000)) {
            line = QString::fromLocal8Bit(p.readLine()).trimmed();
            if (line.startsWith(QLatin1String("ready"))) break;
        }
    }
    ~Sim()
    {
        p.terminate();
        p.waitForFinished(3000);
    }
    QProcess p;
    QString line;
};

// Sends the dump command and runs the event loop until the download has ended.
double timeDump(nesmo::MainWindow& w, const QByteArray& command)
{
    QElapsedTimer t;
    t.start();
    w.link().SendCommand(command);
    while (w.state().Downloading)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 65535;
    const int paced = argc > 2 ? std::atoi(argv[2]) : 2000;
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    nesmo::bench::AnsweringDialogs dialogs;
    bool ok = true;

    {
        Sim sim({"--tcp", "0", "--tag", QStringLiteral("20:%1:10").arg(records)});
        const quint16 port = static_cast<quint16>(sim.line.section(' ', 2, 2).toUInt());
        nesmo::AppState state;
        QFile::remove(dir.filePath("a.ini"));
        nesmo::MainWindow w(state, dialogs, dir.filePath("a.ini"), {"x", "net"});
        w.mainPage()->NetPort()->setText(QString::number(port));
        w.mainPage()->NetworkBoxExit();
        w.show();
        QCoreApplication::processEvents();
        std::vector<double> runs;
        for (int i = 0; i < 3; ++i)
            runs.push_back(timeDump(w, "tagdump 20 \r"));
        const double ms = nesmo::bench::median(runs);
        const qsizetype lines = w.dataTextPage()->pageText().count(u'\n');
        std::printf("dump of %d records over TCP: median %.0f ms of 3, %lld text lines\n", records,
                    ms, static_cast<long long>(lines));
        ok &= nesmo::bench::summaryAtMost("65,535-record dump over TCP, wall", ms, "ms", 3000);
        std::vector<double> raw;
        for (int i = 0; i < 5; ++i) {
            double rawMs = 0;
            nesmo::bench::rawTcpDump(port, "tagdump 20 \r", rawMs);
            raw.push_back(rawMs);
        }
        std::printf("minimal client, the same dump: median %.0f ms\n", nesmo::bench::median(raw));
        ok &= nesmo::bench::summaryAtMost("dump to the Data text page, of the raw read's",
                                          100.0 * ms / nesmo::bench::median(raw), "%", 300);
        ok &= nesmo::bench::summaryAtMost("peak resident memory",
                                          nesmo::bench::peakRssKb() / 1024.0, "MB", 150);
    }
    {
        const QString tty = dir.filePath("tty");
        Sim sim({"--pty", tty, "--pace", "--tag", QStringLiteral("21:%1:10").arg(paced)});
        nesmo::AppState state;
        QFile ini(dir.filePath("b.ini"));
        ini.open(QIODevice::WriteOnly);
        ini.write("[Setup]\nComPort=1\n[Ports]\nCOM1=" + tty.toLocal8Bit() + "\n");
        ini.close();
        nesmo::MainWindow w(state, dialogs, dir.filePath("b.ini"), {"x"});
        w.show();
        while (state.FirmwareVersion == 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        const double ms = timeDump(w, "tagdump 21 \r");
        // Bytes on the line: "    n" + 10 + CR LF a record (record numbers below 10000),
        // plus the header lines, the column titles and the prompt (353 bytes for this tag).
        const double bytes = paced * (5.0 + 10 + 2) + 353;
        const double lineMs = bytes * 1000.0 / 1920.0;
        std::printf(
            "paced dump of %d records: %.0f ms, its bytes take about %.0f ms at 19200 baud (%+.2f "
            "%%)\n",
            paced, ms, lineMs, (ms - lineMs) * 100.0 / lineMs);
    }
    return ok ? 0 : 2;
}
