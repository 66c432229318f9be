#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <memory>

#include "logged_data/data_text_page.h"
#include "shell/main_page.h"
#include "shell/main_window.h"
#include "support/test_support.h"

namespace nesmo::test {

// The main window connected to nesmo7-sim, working in a folder of its own (the
// capture file goes to the working directory): over a pseudo-terminal as COM7, or
// in network mode over TCP.
struct DumpRig {
    explicit DumpRig(QStringList simArgs, const QByteArray& setup = QByteArray())
    {
        enter();
        tty = dir.filePath("ttyNESMO7");
        sim = std::make_unique<SimProcess>(QStringList{"--pty", tty, "--log", log} + simArgs);
        const QString ini = dir.filePath("NesmoComm.INI");
        writeFile(ini,
                  "[Setup]\nComPort=7\n" + setup + "\n[Ports]\nCOM7=" + tty.toLocal8Bit() + "\n");
        window = std::make_unique<MainWindow>(state, dialogs, ini, QStringList{});
        start();
    }
    struct OverTcp {};
    DumpRig(OverTcp, QStringList simArgs)
    {
        enter();
        sim = std::make_unique<SimProcess>(QStringList{"--tcp", "0", "--log", log} + simArgs);
        const QString ini = dir.filePath("NesmoComm.INI");
        writeFile(ini, "[Setup]\nComPort=3\n");
        window = std::make_unique<MainWindow>(state, dialogs, ini, QStringList{"NesmoComm", "net"});
        window->mainPage()->NetPort()->setText(QString::number(sim->tcpPort()));
        window->mainPage()->NetworkBoxExit();
        start();
    }
    ~DumpRig()
    {
        window.reset();
        QDir::setCurrent(previous);
    }
    void enter()
    {
        previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        log = dir.filePath("sim.log");
    }
    void start()
    {
        window->show();
        waitUntil([&] { return state.FirmwareVersion != 0; });
    }
    QByteArray scratch() { return readFile(dir.filePath("scratch.txt")); }
    // Everything the instrument received since the last call.
    QByteArray sent()
    {
        const QByteArray all = readFile(log);
        const QByteArray fresh = all.mid(seen);
        seen = all.size();
        return fresh;
    }
    QString text() { return window->dataTextPage()->RichEdit1()->toPlainText(); }
    QString panel(int i) { return window->dataTextPage()->statusPanel(i); }

    QString previous;
    QTemporaryDir dir;
    QString tty;
    QString log;  // every byte the instrument received
    qsizetype seen = 0;
    std::unique_ptr<SimProcess> sim;
    AppState state;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
};

}  // namespace nesmo::test
