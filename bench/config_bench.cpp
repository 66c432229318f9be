// A full configuration read and a full write of the "Configure instrument" page
// against nesmo7-sim answering at once over a pseudo-terminal: the wall time of
// each, the processor time the program spends in it (its share of the wall
// time), and the simulator's processor time over the same span.
//
//   bench_config [rounds]
//
// The rest of the wall time is the simulator, the pseudo-terminal and the
// scheduler between the two processes.

#include <sys/resource.h>
#include <unistd.h>
#include <QFont>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_common.h"
#include "bench_sim.h"
#include "config/config_page.h"
#include "core/app_state.h"
#include "core/dialogs.h"
#include "shell/main_window.h"

namespace {

using namespace nesmo;

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "bench_config: %s\n", what);
    std::exit(1);
}

// Answers every dialog at once; the write's tag message is expected.
class SilentDialogs final : public Dialogs {
public:
    void message(const QString&) override { ++messages; }
    void error(const QString& text) override
    {
        std::fprintf(stderr, "error: %s\n", qPrintable(text));
        ++errors;
    }
    bool askYesNo(const QString&, const QString&, Icon) override { return true; }
    bool askOkCancel(const QString&, const QString&, Icon) override { return true; }
    std::optional<int> choosePort(const QStringList&) override { return std::nullopt; }
    QString openFileName(const FileDialogSetup&) override { return {}; }
    QString saveFileName(const FileDialogSetup&) override { return {}; }
    bool print(QPrinter&) override { return false; }
    std::optional<QFont> chooseFont(const QFont&) override { return std::nullopt; }
    int messages = 0;
    int errors = 0;
};

using bench::Simulator;

struct Sample {
    std::vector<double> wall, own, sim;
};

template <typename F>
void measure(Sample& s, const Simulator& sim, F&& operation)
{
    const double own0 = bench::ownCpuMs();
    const double sim0 = sim.cpuMs();
    QElapsedTimer t;
    t.start();
    operation();
    s.wall.push_back(double(t.nsecsElapsed()) / 1e6);
    s.own.push_back(bench::ownCpuMs() - own0);
    s.sim.push_back(sim.cpuMs() - sim0);
}

double total(const std::vector<double>& v)
{
    double sum = 0;
    for (double x : v)
        sum += x;
    return sum;
}

bool report(const char* what, const Sample& s)
{
    char name[80];
    std::snprintf(name, sizeof name, "%s, median wall time", what);
    const bool ok = bench::summaryAtMost(name, bench::median(s.wall), "ms", 100);
    std::snprintf(name, sizeof name, "%s, 90th percentile wall", what);
    bench::summary(name, bench::quantile(s.wall, 0.9), "ms");
    std::snprintf(name, sizeof name, "%s, program's processor time", what);
    bench::summary(name, total(s.own) / double(s.own.size()), "ms");
    std::snprintf(name, sizeof name, "%s, program's share of wall", what);
    bench::summary(name, 100.0 * total(s.own) / total(s.wall), "%");
    std::snprintf(name, sizeof name, "%s, simulator's processor time", what);
    bench::summary(name, total(s.sim) / double(s.sim.size()), "ms");
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;

    QTemporaryDir dir;
    const QString tty = dir.filePath(QStringLiteral("ttyNESMO7"));
    Simulator sim({"--pty", tty, "--clock", "2025-03-01 10:00:00"});
    const QString ini = dir.filePath(QStringLiteral("NesmoComm.INI"));
    QFile f(ini);
    if (!f.open(QIODevice::WriteOnly)) fail("cannot write the settings file");
    f.write("[Setup]\nComPort=7\n[Ports]\nCOM7=" + tty.toLocal8Bit() + "\n");
    f.close();

    AppState state;
    SilentDialogs dialogs;
    MainWindow window(state, dialogs, ini, {});
    window.show();
    QElapsedTimer wait;
    wait.start();
    while (state.FirmwareVersion == 0 && wait.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (state.FirmwareVersion == 0) fail("the program did not reach the simulator");
    ConfigPage* page = window.configPage();

    Sample read, write;
    for (int i = 0; i < rounds; ++i) {
        measure(read, sim, [page] { page->GetConfigClick(); });
        if (page->statusText() != QLatin1String("Configuration has been loaded from instrument."))
            fail(qPrintable(QStringLiteral("the read did not end as expected: ") +
                            page->statusText()));
        measure(write, sim, [page] { page->SetConfigClick(); });
    }
    if (page->statusText() != QLatin1String("Configuration has been set.") || dialogs.errors)
        fail(
            qPrintable(QStringLiteral("the write did not end as expected: ") + page->statusText()));

    std::printf("%d reads (22 exchanges each) and %d writes (23 exchanges each)\n", rounds, rounds);
    const bool readOk = report("configuration read", read);
    const bool writeOk = report("configuration write", write);
    return readOk && writeOk ? 0 : 2;
}
