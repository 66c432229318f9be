#include <QTimer>
#include <exception>

#include "auxiliary/about_window.h"
#include "core/app_state.h"
#include "shell/application.h"
#include "shell/main_window.h"
#include "shell/qt_dialogs.h"
#include "shell/settings_file.h"

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
        return app.exec();
    } catch (const std::exception& e) {
        // An error while the windows are built ends the program.
        dialogs.error(QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
