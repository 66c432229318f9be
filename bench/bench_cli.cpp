// nesmo7-cli downloading one tag from nesmo7-sim, as its own process:
//
//   bench_cli [records=65535] [paced-records=2000] [runs=5]
//
// - over loopback TCP without pacing: the tool's wall time and peak resident
//   memory (median of the runs), beside a minimal client that reads the same dump
//   from the same simulator with plain system calls;
// - over a pseudo-terminal paced at 19200 baud in both directions: the tool's wall
//   time beside the line time of every byte it exchanged (10 bits a byte), the
//   replies counted by the minimal client replaying the tool's commands.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_common.h"
#include "bench_raw.h"
#include "bench_sim.h"

extern char** environ;

namespace {

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "bench_cli: %s\n", what);
    std::exit(1);
}

struct ToolRun {
    double wallMs = 0;
    long peakKb = 0;
    int status = -1;
};

// Runs nesmo7-cli with these arguments; its wall time and peak memory (wait4).
ToolRun runTool(const QStringList& args)
{
    std::vector<QByteArray> storage{QByteArray(NESMO_CLI_PATH)};
    for (const QString& a : args)
        storage.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    ToolRun run;
    QElapsedTimer t;
    t.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, NESMO_CLI_PATH, nullptr, nullptr, argv.data(), environ) != 0)
        fail("cannot start nesmo7-cli");
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) fail("wait4");
    run.wallMs = t.nsecsElapsed() * 1e-6;
    run.peakKb = usage.ru_maxrss;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 65535;
    const int paced = argc > 2 ? std::atoi(argv[2]) : 2000;
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 11;
    QTemporaryDir dir;
    bool ok = true;

    {
        nesmo::bench::Simulator sim(
            {"--tcp", "0", "--no-tags", "--tag", QStringLiteral("20:%1:10").arg(records)});
        std::vector<double> tool, raw;
        long peakKb = 0;
        qint64 bytes = 0;
        for (int i = 0; i < runs; ++i) {
            double ms = 0;
            bytes = nesmo::bench::rawTcpDump(sim.tcpPort(), "tagdump 20 \r", ms);
            raw.push_back(ms);
            const QString out = dir.filePath(QStringLiteral("tcp%1").arg(i));
            const ToolRun r = runTool({"--net", QStringLiteral("127.0.0.1:%1").arg(sim.tcpPort()),
                                       "--quiet", "download", "20", "-o", out + "/"});
            if (r.status != 0) fail("nesmo7-cli failed over TCP");
            tool.push_back(r.wallMs);
            peakKb = std::max(peakKb, r.peakKb);
        }
        const double ratio = nesmo::bench::median(tool) / nesmo::bench::median(raw);
        std::printf("%d-record download over TCP (%lld bytes, %d runs):\n", records,
                    static_cast<long long>(bytes), runs);
        std::printf("  nesmo7-cli median %.0f ms (the whole process), peak memory %.1f MB\n",
                    nesmo::bench::median(tool), peakKb / 1024.0);
        std::printf("  minimal client median %.0f ms\n", nesmo::bench::median(raw));
        ok &= nesmo::bench::summaryAtMost("TCP download: tool's time of the raw read's",
                                          100.0 * ratio, "%", 150);
        nesmo::bench::summary("TCP download: tool's peak memory", peakKb / 1024.0, "MB");
    }

    {
        const QString tty = dir.filePath(QStringLiteral("tty"));
        const QString log = dir.filePath(QStringLiteral("paced.log"));
        nesmo::bench::Simulator sim({"--pty", tty, "--pace", "--log", log, "--no-tags", "--tag",
                                     QStringLiteral("21:%1:10").arg(paced)});
        const ToolRun r =
            runTool({"--port", tty, "--quiet", "download", "21", "-o", dir.filePath("paced/")});
        if (r.status != 0) fail("nesmo7-cli failed over the pseudo-terminal");
        QFile f(log);
        if (!f.open(QIODevice::ReadOnly)) fail("no simulator log");
        const QByteArray sent = f.readAll();
        // The same commands once more from the minimal client: the bytes received.
        const int fd = ::open(QFile::encodeName(tty).constData(), O_RDWR | O_NOCTTY);
        if (fd < 0) fail("cannot open the pseudo-terminal");
        termios t{};
        ::tcgetattr(fd, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
        qint64 received = 0;
        for (const QByteArray& c : nesmo::bench::commandsOf(sent)) {
            nesmo::bench::writeAll(fd, c);
            received += nesmo::bench::readReply(fd);
        }
        ::close(fd);
        const double lineMs = double(sent.size() + received) * 10.0 / 19.2;
        std::printf("%d-record download paced at 19200 baud over a pseudo-terminal:\n", paced);
        std::printf(
            "  nesmo7-cli %.0f ms (the whole process), line time %.0f ms of %lld bytes "
            "sent and %lld received\n",
            r.wallMs, lineMs, static_cast<long long>(sent.size()),
            static_cast<long long>(received));
        ok &= nesmo::bench::summaryAtMost("paced download: wall over the line time",
                                          100.0 * (r.wallMs / lineMs - 1), "%", 1);
    }
    return ok ? 0 : 2;
}
