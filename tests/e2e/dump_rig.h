#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <memory>

#include "logged_data/data_text_page.h"
#include "shell/main_window.h"
#include "support/test_support.h"

namespace nesmo::test {

// The main window connected to nesmo7-sim over a pseudo-terminal, working in a
// folder of its own (the capture file goes to the working directory).
struct DumpRig {
    explicit DumpRig(QStringList simArgs, const QByteArray& setup = QByteArray())
    {
        previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        tty = dir.filePath("ttyNESMO7");
        log = dir.filePath("sim.log");
        sim = std::make_unique<SimProcess>(QStringList{"--pty", tty, "--log", log} + simArgs);
        const QString ini = dir.filePath("NesmoComm.INI");
        writeFile(ini,
                  "[Setup]\nComPort=7\n" + setup + "\n[Ports]\nCOM7=" + tty.toLocal8Bit() + "\n");
        window = std::make_unique<MainWindow>(state, dialogs, ini, QStringList{});
        window->show();
        waitUntil([&] { return state.FirmwareVersion != 0; });
    }
    ~DumpRig()
    {
        window.reset();
        QDir::setCurrent(previous);
    }
    QByteArray scratch() { return readFile(dir.filePath("scratch.txt")); }
    QString text() { return window->dataTextPage()->RichEdit1()->toPlainText(); }
    QString panel(int i) { return window->dataTextPage()->statusPanel(i); }

    QString previous;
    QTemporaryDir dir;
    QString tty;
    QString log;  // every byte the instrument received
    std::unique_ptr<SimProcess> sim;
    AppState state;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
};

}  // namespace nesmo::test
