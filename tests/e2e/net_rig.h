#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <memory>

#include "shell/main_page.h"
#include "shell/main_window.h"
#include "support/test_support.h"

namespace nesmo::test {

// The main window in network mode, talking to the simulator paced at 19200 baud.
struct NetRig {
    NetRig()
    {
        previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        log = dir.filePath("sim.log");
        sim = std::make_unique<SimProcess>(QStringList{"--tcp", "0", "--pace", "--log", log});
        const QString ini = dir.filePath("NesmoComm.INI");
        writeFile(ini, "[Setup]\nComPort=3\n");
        window = std::make_unique<MainWindow>(state, dialogs, ini, QStringList{"NesmoComm", "net"});
        window->mainPage()->NetPort()->setText(QString::number(sim->tcpPort()));
        window->mainPage()->NetworkBoxExit();
        window->show();
        waitUntil([&] { return state.FirmwareVersion != 0; });
    }
    ~NetRig()
    {
        window.reset();
        QDir::setCurrent(previous);
    }
    QString previous;
    QTemporaryDir dir;
    QString log;  // every byte the instrument received
    std::unique_ptr<SimProcess> sim;
    AppState state;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
};

}  // namespace nesmo::test
