// The instrument panel and the site list against nesmo7-sim over a
// pseudo-terminal, through the real main window:
//
//   bench_panel_sites [key-presses] [soak-exchanges]
//
// - a key press to its refreshed display ("key UP\r", then "v 5\r"), beside the
//   same two exchanges made by a bare client with plain system calls;
// - a site list get and set: wall time and the program's processor share, with the
//   simulator answering at once and paced at 19200 baud, where the wall time is set
//   beside the line time of the bytes the instrument sends (10 bits a byte);
// - a soak of many exchanges with the panel shown and polling: resident memory at
//   its start and end, and every exchange answered.

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench_common.h"
#include "bench_sim.h"
#include "core/app_state.h"
#include "core/dialogs.h"
#include "link/link.h"
#include "maintenance/site_list_page.h"
#include "panel/panel_control.h"
#include "panel/panel_window.h"
#include "shell/main_window.h"

namespace {

using namespace nesmo;

[[noreturn]] void fail(const QString& what)
{
    std::fprintf(stderr, "bench_panel_sites: %s\n", qPrintable(what));
    std::exit(1);
}

class QuietDialogs final : public Dialogs {
public:
    void message(const QString& text) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    void error(const QString& text) override { fail("error box: " + text); }
    bool askYesNo(const QString&, const QString&, Icon) override { return true; }
    bool askOkCancel(const QString&, const QString&, Icon) override { return true; }
    std::optional<int> choosePort(const QStringList&) override { return std::nullopt; }
    QString openFileName(const FileDialogSetup&) override { return {}; }
    QString saveFileName(const FileDialogSetup&) override { return {}; }
    bool print(QPrinter&) override { return false; }
    std::optional<QFont> chooseFont(const QFont&) override { return std::nullopt; }
};

using bench::Simulator;

// A bare client on the raw pseudo-terminal.
class BareClient {
public:
    explicit BareClient(const QString& path)
    {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY);
        if (fd_ < 0) fail("cannot open " + path);
        termios t{};
        ::tcgetattr(fd_, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(fd_, TCSANOW, &t);
    }
    ~BareClient() { ::close(fd_); }
    // One command; waits for the prompt (outside quotes) unless the command is a
    // bare CR, which gets no reply. Returns the bytes received.
    qint64 exchange(const QByteArray& command)
    {
        if (::write(fd_, command.constData(), command.size()) != command.size())
            fail("bare write failed");
        if (command == "\r") return 0;
        qint64 bytes = 0;
        bool quoted = false;
        char buf[4096];
        for (;;) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0) fail("bare client: no prompt");
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0) fail("bare client: link closed");
            bytes += n;
            for (ssize_t i = 0; i < n; ++i) {
                if (buf[i] == '"') quoted = !quoted;
                if (buf[i] == '>' && !quoted) return bytes;
            }
        }
    }

private:
    int fd_ = -1;
};

long residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& l : f.readAll().split('\n'))
        if (l.startsWith("VmRSS:")) return l.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// The main window connected to the simulator at tty as COM1.
struct Program {
    Program(const QTemporaryDir& dir, const QString& tty)
    {
        const QString ini = dir.filePath(QStringLiteral("bench.INI"));
        QFile f(ini);
        if (!f.open(QIODevice::WriteOnly)) fail("cannot write the settings file");
        f.write("[Setup]\nComPort=1\n[Ports]\nCOM1=" + QFile::encodeName(tty) + "\n");
        f.close();
        window = std::make_unique<MainWindow>(state, dialogs, ini, QStringList{});
        window->show();
        QElapsedTimer t;
        t.start();
        while (state.FirmwareVersion == 0 && t.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (state.FirmwareVersion == 0) fail("the program did not connect");
    }
    ~Program() { window.reset(); }
    AppState state;
    QuietDialogs dialogs;
    std::unique_ptr<MainWindow> window;
};

struct Timing {
    std::vector<double> wall, cpu;
};

template <typename F>
void timed(Timing& t, F&& operation)
{
    const double cpu0 = bench::ownCpuMs();
    QElapsedTimer clock;
    clock.start();
    operation();
    t.wall.push_back(clock.nsecsElapsed() * 1e-6);
    t.cpu.push_back(bench::ownCpuMs() - cpu0);
}

double sum(const std::vector<double>& v)
{
    double s = 0;
    for (double x : v)
        s += x;
    return s;
}

void row(const char* name, const Timing& t)
{
    std::printf("  %-40s median %9.2f ms   p99 %9.2f ms   program's share %5.1f %%\n", name,
                bench::median(t.wall), bench::quantile(t.wall, 0.99),
                100.0 * sum(t.cpu) / sum(t.wall));
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int presses = argc > 1 ? std::atoi(argv[1]) : 500;
    const int soakExchanges = argc > 2 ? std::atoi(argv[2]) : 100000;
    QTemporaryDir dir;
    bool ok = true;

    // --- Instant simulator: key press latency, site list get and set
    {
        const QString tty = dir.filePath(QStringLiteral("instant"));
        const QString log = dir.filePath(QStringLiteral("instant.log"));
        Simulator sim({QStringLiteral("--pty"), tty, QStringLiteral("--log"), log});
        std::vector<double> bare;
        {
            BareClient client(tty);
            QElapsedTimer t;
            for (int i = 0; i < presses + 50; ++i) {
                t.start();
                client.exchange("key UP\r");
                client.exchange("v 5\r");
                if (i >= 50) bare.push_back(t.nsecsElapsed() * 1e-6);
            }
        }
        Program program(dir, tty);
        PanelControl& panel = *program.window->panelControl();
        panel.ViewInstControlPanelClick();
        if (!panel.shown()) fail("the panel did not show");
        Timing keys;
        for (int i = 0; i < presses + 50; ++i) {
            Timing one;
            timed(one, [&] { panel.pressKey(panel::Key::Up); });
            if (i >= 50) keys.wall.push_back(one.wall[0]), keys.cpu.push_back(one.cpu[0]);
        }
        std::printf("Key press to refreshed display (instant simulator, %d presses):\n", presses);
        row("panel key UP + refresh", keys);
        std::printf("  %-40s median %9.2f ms   p99 %9.2f ms\n",
                    "bare client, the same two exchanges", bench::median(bare),
                    bench::quantile(bare, 0.99));
        ok &= bench::summaryAtMost("key press: median over the bare exchanges",
                                   bench::median(keys.wall) - bench::median(bare), "ms", 1);
        bench::summary("key press: p99 over the bare p99",
                       bench::quantile(keys.wall, 0.99) - bench::quantile(bare, 0.99), "ms");

        SiteListPage& sites = *program.window->siteListPage();
        Timing get, set;
        for (int i = 0; i < 10; ++i) {
            timed(get, [&] { sites.GetSiteListClick(); });
            timed(set, [&] { sites.SetSiteListClick(); });
        }
        if (sites.lines().size() != 50) fail("the site list get did not fill 50 lines");
        std::printf("Site list against the instant simulator (10 rounds):\n");
        row("get (54 exchanges)", get);
        row("set (54 exchanges)", set);
    }

    // --- Paced simulator: site list get and set beside the line time of their bytes
    {
        const QString tty = dir.filePath(QStringLiteral("paced"));
        const QString log = dir.filePath(QStringLiteral("paced.log"));
        Simulator sim(
            {QStringLiteral("--pty"), tty, QStringLiteral("--pace"), QStringLiteral("--log"), log});
        Timing get, set;
        QByteArray getCommands, setCommands;
        {
            Program program(dir, tty);
            SiteListPage& sites = *program.window->siteListPage();
            const qint64 before = QFile(log).size();
            timed(get, [&] { sites.GetSiteListClick(); });
            const qint64 middle = QFile(log).size();
            timed(set, [&] { sites.SetSiteListClick(); });
            QFile f(log);
            f.open(QIODevice::ReadOnly);
            const QByteArray all = f.readAll();
            getCommands = all.mid(before, middle - before);
            setCommands = all.mid(middle);
        }
        // The same commands once more from a bare client: the bytes the instrument sends.
        qint64 getBytes = 0, setBytes = 0;
        double getBare = 0, setBare = 0;
        {
            BareClient client(tty);
            QElapsedTimer t;
            t.start();
            for (const QByteArray& c : bench::commandsOf(getCommands))
                getBytes += client.exchange(c);
            getBare = t.nsecsElapsed() * 1e-6;
            t.start();
            for (const QByteArray& c : bench::commandsOf(setCommands))
                setBytes += client.exchange(c);
            setBare = t.nsecsElapsed() * 1e-6;
        }
        const double getLine = getBytes * 10.0 / 19.2, setLine = setBytes * 10.0 / 19.2;  // ms
        std::printf("Site list paced at 19200 baud:\n");
        // The simulator sends in 10 ms ticks, so each reply ends on a tick: the bare
        // client's wall time over the same commands is what the line and the
        // simulator take, and the program's excess over it is its own.
        const auto line = [](const char* what, double wall, double bare, double lineMs,
                             qint64 bytes, double cpu) {
            std::printf(
                "  %s: %.0f ms wall, bare client %.0f ms, line time %.0f ms of %lld "
                "bytes, program's share %.1f %%\n",
                what, wall, bare, lineMs, static_cast<long long>(bytes), 100.0 * cpu / wall);
        };
        line("get", get.wall[0], getBare, getLine, getBytes, get.cpu[0]);
        line("set", set.wall[0], setBare, setLine, setBytes, set.cpu[0]);
        ok &= bench::summaryAtMost("paced get: wall over the bare client's",
                                   100.0 * (get.wall[0] / getBare - 1), "%", 2);
        ok &= bench::summaryAtMost("paced set: wall over the bare client's",
                                   100.0 * (set.wall[0] / setBare - 1), "%", 2);
        bench::summary("paced get: wall over the line time", 100.0 * (get.wall[0] / getLine - 1),
                       "%");
        bench::summary("paced set: wall over the line time", 100.0 * (set.wall[0] / setLine - 1),
                       "%");
    }

    // --- Soak: exchanges with the panel shown and polling
    {
        const QString tty = dir.filePath(QStringLiteral("soak"));
        Simulator sim({QStringLiteral("--pty"), tty});
        Program program(dir, tty);
        PanelControl& panel = *program.window->panelControl();
        panel.ViewInstControlPanelClick();
        Link& link = program.window->link();
        // A key and its refresh are two exchanges; a press alternates UP and DOWN.
        const int pressesInSoak = soakExchanges / 2;
        // Memory is taken once the program has settled (2,000 exchanges, fewer in a short soak).
        const int warmPresses = std::min(1000, pressesInSoak / 10);
        long startKb = residentKb();
        int lost = 0;
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < pressesInSoak; ++i) {
            panel.pressKey(i % 2 ? panel::Key::Down : panel::Key::Up);
            if (link.lastOutcome() != Link::Outcome::Replied) ++lost;
            if (i == warmPresses) startKb = residentKb();
        }
        const long endKb = residentKb();
        std::printf("Soak: %d exchanges in %.1f s with the panel shown\n", pressesInSoak * 2,
                    t.elapsed() / 1000.0);
        bench::summary("soak: resident memory once settled", startKb / 1024.0, "MB");
        bench::summary("soak: resident memory at the end", endKb / 1024.0, "MB");
        ok &= bench::summaryAtMost("soak: growth", (endKb - startKb) / 1024.0, "MB", 5);
        ok &= bench::summaryAtMost("soak: refreshes without a reply", lost, "", 0);
    }
    return ok ? 0 : 2;
}
