#include <unistd.h>
#include <QFile>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <ctime>
#include <exception>

#include "auxiliary/about_window.h"
#include "core/app_state.h"
#include "shell/application.h"
#include "shell/main_window.h"
#include "shell/qt_dialogs.h"
#include "shell/settings_file.h"

namespace {

// Start-up probe for bench/bench_startup: with NESMOCOMM_STARTUP_PROBE set, once
// the main window is on screen, print "startup-ms <ms since the process started>
// rss-kb <resident memory>" and quit.
void probeStartupWhenShown(QWidget& window)
{
    if (!qEnvironmentVariableIsSet("NESMOCOMM_STARTUP_PROBE")) return;
    QTimer::singleShot(0, &window, [&window] {
        if (!window.windowHandle() || !window.windowHandle()->isExposed()) {
            probeStartupWhenShown(window);  // not painted yet: look again next pass
            return;
        }
        // Field 22 of /proc/self/stat: start time in clock ticks since boot.
        QFile stat(QStringLiteral("/proc/self/stat"));
        stat.open(QIODevice::ReadOnly);
        const QByteArray s = stat.readAll();
        const QList<QByteArray> fields = s.mid(s.lastIndexOf(')') + 2).split(' ');
        const double startMs = fields.value(19).toDouble() * 1000.0 / sysconf(_SC_CLK_TCK);
        timespec now{};
        clock_gettime(CLOCK_BOOTTIME, &now);
        const double nowMs = now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
        QFile status(QStringLiteral("/proc/self/status"));
        status.open(QIODevice::ReadOnly);
        long long rssKb = 0;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                rssKb = line.mid(6).trimmed().split(' ').value(0).toLongLong();
        std::printf("startup-ms %.0f rss-kb %lld\n", nowMs - startMs, rssKb);
        std::fflush(stdout);
        QCoreApplication::quit();
    });
}

}  // namespace

int main(int argc, char** argv)
{
    nesmo::NesmoApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("NesmoComm"));
    app.setApplicationDisplayName(QStringLiteral("Nesmo Port"));
    app.setApplicationVersion(QStringLiteral(NESMO_VERSION));
    app.setQuitOnLastWindowClosed(false);
    app.setFont(QFont(QStringLiteral("Arial"), 9));

    nesmo::QtDialogs dialogs;
    app.setDialogs(&dialogs);
    nesmo::AppState state;
    try {
        nesmo::MainWindow window(state, dialogs, nesmo::SettingsFile::defaultPath(),
                                 app.arguments());
        dialogs.setParentWidget(&window);
        window.about()->showSplash();
        window.show();
        probeStartupWhenShown(window);
        return app.exec();
    } catch (const std::exception& e) {
        // An error while the windows are built ends the program.
        dialogs.error(QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
