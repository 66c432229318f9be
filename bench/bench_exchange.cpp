// Command round trips against the simulated instrument, over a pseudo-terminal and
// over loopback TCP, and the processor time the program spends waiting for an
// instrument that does not answer.
//
//   bench_exchange [round-trips] [silent-seconds]
//
// For each link, "bare client" is the same exchange done with plain system calls
// (open/write/poll/read on the pseudo-terminal; connect/send/recv/close on TCP,
// a new connection per command as network mode does). It measures the simulator
// and the operating system; "Link::SendCommand" minus "bare client" is what the
// program's link, receive path and reply parser add.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench_common.h"
#include "bench_sim.h"
#include "core/app_state.h"
#include "link/link.h"

namespace {

using namespace nesmo;

const QByteArray kCommand = "v 157\r";

[[noreturn]] void fail(const QString& what)
{
    std::fprintf(stderr, "bench_exchange: %s\n", qPrintable(what));
    std::exit(1);
}

using bench::Simulator;

// Reads until the prompt; false on a time-out or a closed link.
bool readToPrompt(int fd)
{
    char buf[4096];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0) return false;
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) return false;
        if (std::memchr(buf, '>', static_cast<size_t>(n))) return true;
    }
}

std::vector<double> bareTty(const QString& path, int count)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY);
    if (fd < 0) fail("cannot open " + path);
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int i = 0; i < count; ++i) {
        timer.start();
        if (::write(fd, kCommand.constData(), kCommand.size()) != kCommand.size() ||
            !readToPrompt(fd))
            fail("bare pseudo-terminal exchange failed");
        ms.push_back(timer.nsecsElapsed() * 1e-6);
    }
    ::close(fd);
    return ms;
}

std::vector<double> bareTcp(quint16 port, int count)
{
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int i = 0; i < count; ++i) {
        timer.start();
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::send(fd, kCommand.constData(), kCommand.size(), 0) != kCommand.size() ||
            !readToPrompt(fd))
            fail("bare TCP exchange failed");
        ::close(fd);
        ms.push_back(timer.nsecsElapsed() * 1e-6);
    }
    return ms;
}

std::vector<double> linkExchanges(Link& link, const AppState& state, int count)
{
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int i = 0; i < count; ++i) {
        timer.start();
        if (link.SendCommand(kCommand) != 1)
            fail(QStringLiteral("SendCommand got no reply (exchange %1)").arg(i));
        ms.push_back(timer.nsecsElapsed() * 1e-6);
    }
    if (!state.ReplyComplete) fail("the last reply did not end");
    return ms;
}

void printRow(const char* name, const std::vector<double>& ms)
{
    std::printf("  %-34s median %7.3f ms   p99 %7.3f ms   max %7.3f ms   (%zu)\n", name,
                bench::median(ms), bench::quantile(ms, 0.99), bench::quantile(ms, 1.0), ms.size());
}

double processCpuSeconds()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

struct Figures {
    double ptyMedian, ptyP99, tcpMedian, tcpP99, ptyBare, tcpBare;
};

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 2000;
    const double silentSeconds = argc > 2 ? std::atof(argv[2]) : 5.0;
    const int warmUp = 50;
    QTemporaryDir dir;
    Figures f{};

    std::printf("bench_exchange: %d round trips of \"v 157\\r\" per link (after %d unmeasured)\n",
                count, warmUp);

    // --- Pseudo-terminal
    {
        const QString tty = dir.filePath(QStringLiteral("nesmo7"));
        Simulator sim({QStringLiteral("--pty"), tty});
        bareTty(tty, warmUp);
        const auto bare = bareTty(tty, count);

        AppState state;
        bench::NullView view;
        Link link(state, view);
        link.port().portMap().setExplicit(1, tty);
        link.port().setPortNumber(1);
        if (!link.port().open())
            fail("cannot open the pseudo-terminal: " + link.port().lastError().text);
        linkExchanges(link, state, warmUp);
        const auto ms = linkExchanges(link, state, count);
        link.port().close();

        std::printf("\npseudo-terminal (serial port layer on %s)\n", qPrintable(tty));
        printRow("bare client (simulator + OS)", bare);
        printRow("Link::SendCommand", ms);
        f.ptyMedian = bench::median(ms);
        f.ptyP99 = bench::quantile(ms, 0.99);
        f.ptyBare = bench::median(bare);
    }

    // --- Loopback TCP, network mode: a new connection per command
    {
        Simulator sim({QStringLiteral("--tcp"), QStringLiteral("0")});
        bareTcp(sim.tcpPort(), warmUp);
        const auto bare = bareTcp(sim.tcpPort(), count);

        AppState state;
        state.NetworkMode = true;
        state.ReplyTimeoutTicks = 180;
        bench::NullView view;
        Link link(state, view);
        link.port().setTcpPort(sim.tcpPort());
        linkExchanges(link, state, warmUp);
        const auto ms = linkExchanges(link, state, count);

        std::printf("\nloopback TCP, network mode (127.0.0.1:%u)\n", sim.tcpPort());
        printRow("bare client (simulator + OS)", bare);
        printRow("Link::SendCommand", ms);
        f.tcpMedian = bench::median(ms);
        f.tcpP99 = bench::quantile(ms, 0.99);
        f.tcpBare = bench::median(bare);
    }

    // --- A silent instrument: SendCommand waits out its reply timer again and again.
    double cpuShare = 0.0;
    int timeouts = 0;
    {
        const QString tty = dir.filePath(QStringLiteral("nesmo7-silent"));
        Simulator sim({QStringLiteral("--pty"), tty, QStringLiteral("--silent")});
        AppState state;
        bench::NullView view;
        Link link(state, view);
        link.port().portMap().setExplicit(1, tty);
        link.port().setPortNumber(1);
        if (!link.port().open())
            fail("cannot open the pseudo-terminal: " + link.port().lastError().text);

        QElapsedTimer wall;
        wall.start();
        const double cpu0 = processCpuSeconds();
        while (wall.elapsed() < silentSeconds * 1000) {
            if (link.SendCommand(kCommand) != 0) fail("the silent simulator answered");
            ++timeouts;
        }
        const double cpu = processCpuSeconds() - cpu0;
        const double seconds = wall.nsecsElapsed() * 1e-9;
        cpuShare = 100.0 * cpu / seconds;
        std::printf(
            "\nsilent instrument (pseudo-terminal, %d ticks): %d time-outs in %.2f s wall, "
            "%.4f s processor\n",
            state.ReplyTimeoutTicks, timeouts, seconds, cpu);
    }

    std::printf("\n");
    bench::summary("pty exchange, median", f.ptyMedian, "ms");
    bench::summary("pty exchange, p99", f.ptyP99, "ms");
    bench::summary("pty exchange, bare client median", f.ptyBare, "ms");
    bench::summary("pty exchange, Link overhead (median diff.)", f.ptyMedian - f.ptyBare, "ms");
    bench::summary("tcp exchange, median", f.tcpMedian, "ms");
    bench::summary("tcp exchange, p99", f.tcpP99, "ms");
    bench::summary("tcp exchange, bare client median", f.tcpBare, "ms");
    bench::summary("tcp exchange, Link overhead (median diff.)", f.tcpMedian - f.tcpBare, "ms");
    const bool ok =
        bench::summaryAtMost("CPU while waiting for a silent instrument", cpuShare, "%", 2);
    return ok ? 0 : 2;
}
