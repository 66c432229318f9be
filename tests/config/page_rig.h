#pragma once

#include "config/locale_text.h"
#include "config/qstring_print.h"

// The real main window with its configuration page, offscreen, either without
// an instrument (replies are fed straight into the receive path) or connected to
// nesmo7-sim over a pseudo-terminal.

#include <QComboBox>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <memory>

#include "config/config_page.h"
#include "logged_data/data_text_page.h"
#include "maintenance/site_list_page.h"
#include "shell/main_window.h"
#include "support/test_support.h"

namespace nesmo::test {

struct PageRig {
    // simArgs empty and withSim false: no instrument at all.
    explicit PageRig(bool withSim = false, QStringList simArgs = {})
    {
        QByteArray setup = "[Setup]\nComPort=0\n";
        if (withSim) {
            tty = dir.filePath("ttyNESMO7");
            log = dir.filePath("sim.log");
            sim = std::make_unique<SimProcess>(QStringList{"--pty", tty, "--log", log} + simArgs);
            setup = "[Setup]\nComPort=7\n[Ports]\nCOM7=" + tty.toLocal8Bit() + "\n";
        }
        ini = dir.filePath("NesmoComm.INI");
        writeFile(ini, setup);
        open();
    }
    // A new main window on the same settings (and instrument), as at a new start.
    void open()
    {
        window.reset();
        state = AppState{};
        window = std::make_unique<MainWindow>(state, dialogs, ini, QStringList{});
        page()->setClock([this] { return clock; });
    }
    ~PageRig() { window.reset(); }

    void show()
    {
        window->show();
        window->activateWindow();
        waitUntil([&] { return window->isVisible(); });
        settle();
        if (sim) waitUntil([&] { return state.FirmwareVersion != 0; }, 8000);
        settle();
    }
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    // Lines as the instrument sends them, through the receive path.
    void reply(const QByteArray& lines)
    {
        window->link().deliver(lines);
        settle();
    }
    // The operator's choice in a drop-down list.
    static void choose(QComboBox* box, int index)
    {
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    // Everything the simulator received since the last call.
    QByteArray sent()
    {
        const QByteArray all = readFile(log);
        const QByteArray fresh = all.mid(seen);
        seen = all.size();
        return fresh;
    }

    ConfigPage* page() const { return window->configPage(); }

    QTemporaryDir dir;
    QString tty, log, ini;
    qsizetype seen = 0;
    std::unique_ptr<SimProcess> sim;
    AppState state;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
    QDateTime clock{QDate(2024, 3, 3), QTime(14, 5, 9)};
};

}  // namespace nesmo::test
