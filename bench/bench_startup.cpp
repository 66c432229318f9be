// Warm start-up time and resident memory of NesmoComm: start it offscreen with
// NESMOCOMM_STARTUP_PROBE set, so that it prints "startup-ms <ms> rss-kb <kB>" once
// its main window is shown, and quits.
//
//   bench_startup [runs]
//
// "startup-ms" is measured inside the program from its process start time
// (/proc/self/stat, 10 ms resolution); "launch-to-shown" is measured here, from
// QProcess::start to the arrival of that line, and so also includes the fork and
// the pipe. One unmeasured run first makes the start a warm one.

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_common.h"

namespace {

using namespace nesmo;

struct Sample {
    double programMs;
    double launcherMs;
    double rssMb;
};

bool runOnce(const QProcessEnvironment& env, Sample& out)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral(NESMO_COMM_PATH), {});
    QByteArray line;
    while (!line.startsWith("startup-ms")) {
        if (!p.canReadLine() && !p.waitForReadyRead(20000)) break;
        line = p.readLine().trimmed();
    }
    const double launcherMs = t.nsecsElapsed() * 1e-6;
    if (!p.waitForFinished(20000)) p.kill();
    const QList<QByteArray> words = line.split(' ');
    if (words.size() < 4 || words[0] != "startup-ms" || words[2] != "rss-kb") {
        std::fprintf(stderr, "bench_startup: no probe line; stderr:\n%s\n",
                     p.readAllStandardError().constData());
        return false;
    }
    out = {words[1].toDouble(), launcherMs, words[3].toDouble() / 1024.0};
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 10;

    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("NESMOCOMM_INI"), dir.filePath(QStringLiteral("NesmoComm.ini")));
    env.insert(QStringLiteral("NESMOCOMM_STARTUP_PROBE"), QStringLiteral("1"));

    Sample s{};
    if (!runOnce(env, s)) return 1;  // warm-up

    std::vector<double> programMs, launcherMs, rssMb;
    std::printf("bench_startup: %s, %d warm starts, offscreen\n", NESMO_COMM_PATH, runs);
    for (int i = 0; i < runs; ++i) {
        if (!runOnce(env, s)) return 1;
        programMs.push_back(s.programMs);
        launcherMs.push_back(s.launcherMs);
        rssMb.push_back(s.rssMb);
        std::printf("  run %2d: startup-ms %4.0f   launch-to-shown %6.1f ms   rss %6.1f MB\n",
                    i + 1, s.programMs, s.launcherMs, s.rssMb);
    }
    std::printf("\n");
    bool ok = true;
    ok &= bench::summaryAtMost("start-up to window shown, median (program)",
                               bench::median(programMs), "ms", 400);
    ok &= bench::summaryAtMost("start-up to window shown, median (launcher)",
                               bench::median(launcherMs), "ms", 400);
    ok &= bench::summaryAtMost("resident memory at window shown, median", bench::median(rssMb),
                               "MB", 100);
    return ok ? 0 : 2;
}
