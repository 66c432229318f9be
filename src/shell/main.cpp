#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QStandardPaths>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstring>
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

const char kUsage[] =
    "Usage: NesmoComm [net] [auto485] [--desktop] [FILE...]\n"
    "Nesmo Port: the companion program of the Nesmo-7 dust monitor.\n"
    "\n"
    "Options:\n"
    "  net          talk to the instrument over TCP (network mode), not a serial\n"
    "               port; address and port on the Main page (default 127.0.0.1,\n"
    "               port 1000, or the settings file's Network section)\n"
    "  auto485      accepted for compatibility; use an adapter with automatic\n"
    "               direction control\n"
    "  --desktop    work in the folder \"Nesmo Port\" of the user's documents folder,\n"
    "               as the desktop menu starts the program: downloads, scratch.txt,\n"
    "               the terminal capture and the manuals are there\n"
    "  --version    print the version and exit\n"
    "  -h, --help   print this text and exit\n"
    "  FILE         open this logged-data file on the Data text page\n"
    "\n"
    "net and auto485 are compared whole and in any case (NET works, -net does not);\n"
    "the options with dashes are written as shown. Another argument that starts\n"
    "with a dash is ignored with a warning.\n"
    "\n"
    "The settings file NesmoComm.INI lies beside the program when that folder is\n"
    "writable and not a system folder, otherwise in ~/.config/NesmoComm/; the\n"
    "environment variable NESMOCOMM_INI names another file.\n"
    "\n"
    "Exit status:\n"
    "  0  the program was closed, or --version or --help\n"
    "  1  the windows could not be built (the message says why)\n"
    "Without a display Qt stops the program with a message of its own.\n";

bool hasWord(int argc, char** argv, const char* word)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], word) == 0) return true;
    return false;
}

// Started from the desktop's menu, the program works in a folder of the user's
// own instead of wherever the desktop starts it.
void enterUserFolder()
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) documents = QDir::homePath();
    const QString folder = QDir(documents).filePath(QStringLiteral("Nesmo Port"));
    if (QDir().mkpath(folder)) QDir::setCurrent(folder);
}

}  // namespace

int main(int argc, char** argv)
{
    // These print and end before any window or display is needed.
    if (hasWord(argc, argv, "--version")) {
        std::printf("NesmoComm %s\n", NESMO_VERSION);
        return 0;
    }
    if (hasWord(argc, argv, "--help") || hasWord(argc, argv, "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    nesmo::NesmoApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("NesmoComm"));
    app.setApplicationDisplayName(QStringLiteral("Nesmo Port"));
    app.setApplicationVersion(QStringLiteral(NESMO_VERSION));
    // Desktops match the windows to the menu entry (and its icon) by this name.
    app.setDesktopFileName(QStringLiteral("io.github.nesmoport.nesmoport"));
    app.setWindowIcon(QIcon::fromTheme(QStringLiteral("io.github.nesmoport.nesmoport")));
    app.setQuitOnLastWindowClosed(false);
    app.setFont(QFont(QStringLiteral("Arial"), 9));
    // Files named on the command line (the file manager's, or relative to the
    // folder it was started in) are taken before --desktop changes the folder.
    QStringList arguments = app.arguments();
    const QStringList files = nesmo::MainWindow::commandLineFiles(arguments);
    for (qsizetype i = 1; i < arguments.size(); ++i)
        if (files.contains(arguments[i])) arguments[i] = QFileInfo(arguments[i]).absoluteFilePath();
    if (hasWord(argc, argv, "--desktop")) enterUserFolder();
    for (const QString& option : nesmo::MainWindow::unknownOptions(arguments))
        std::fprintf(stderr, "NesmoComm: ignoring the unknown option %s (see --help)\n",
                     qPrintable(option));

    nesmo::QtDialogs dialogs;
    app.setDialogs(&dialogs);
    nesmo::AppState state;
    try {
        nesmo::MainWindow window(state, dialogs, nesmo::SettingsFile::defaultPath(), arguments);
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
