// The link's life over TCP with nesmo7-sim: a new connection in the middle of a
// dump, and the program closing in the middle of a configuration read.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "config/config_page.h"
#include "shell/main_page.h"
#include "shell/main_window.h"
#include "support/test_support.h"

namespace nesmo::test {
namespace {

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

TEST(LinkLife, ANewConnectionInTheMiddleOfADumpStartsClean)
{
    NetRig rig;
    ASSERT_EQ(rig.state.FirmwareVersion, 128);
    QPushButton* connection = rig.window->mainPage()->SerialConnectionButton();
    // A second into a long dump the operator closes the connection and opens it again.
    QTimer::singleShot(1000, [&] {
        connection->click();
        connection->click();
    });
    EXPECT_EQ(rig.window->link().SendCommand("tagdump  4 \r"), 0);
    EXPECT_FALSE(rig.state.Downloading);
    const QByteArray partial = readFile(rig.dir.filePath("scratch.txt"));
    EXPECT_TRUE(partial.startsWith("\"Model Number\"")) << partial.left(80).constData();
    EXPECT_LT(partial.count('\n'), 3000);

    rig.window->ViewConfigExecute();
    ConfigPage& p = *rig.window->configPage();
    EXPECT_EQ(p.statusText(), QStringLiteral("Configuration has been loaded from instrument."));
    EXPECT_EQ(p.FlowRateEdit()->text(), QLocale().toString(1.70, 'f', 2));
    EXPECT_EQ(p.UnitsBox()->currentText(), QStringLiteral("MASS [mg/m3]"));
    EXPECT_EQ(p.Label25()->text(), QStringLiteral("Factory default"));
    EXPECT_EQ(p.LabelSN()->text(), QStringLiteral("Serial No. 20871 "));
    EXPECT_EQ(p.LabelVer()->text(), QStringLiteral("Version 1.28"));
    EXPECT_TRUE(rig.dialogs.errors.isEmpty()) << rig.dialogs.errors.join('|').toStdString();
}

TEST(LinkLife, ClosingDuringAConfigurationReadEndsTheProgramAtOnce)
{
    NetRig rig;
    ASSERT_EQ(rig.state.FirmwareVersion, 128);
    QElapsedTimer sinceClose;
    qsizetype receivedAtClose = -1;
    QTimer::singleShot(0, [&] { rig.window->ViewConfigExecute(); });
    // The window closes a few queries into the read.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const QByteArray sent = readFile(rig.log);
        if (receivedAtClose >= 0 || !sent.contains("displayavg\r")) return;
        receivedAtClose = sent.size();
        sinceClose.start();
        rig.window->close();
    });
    watch.start(5);
    QApplication::exec();
    watch.stop();
    const qint64 closing = sinceClose.elapsed();
    EXPECT_LT(closing, 1000);
    ASSERT_GT(receivedAtClose, 0);
    // Whatever was on its way at the close arrives; no command follows it.
    QTest::qWait(500);
    const QByteArray sent = readFile(rig.log);
    const QByteArray after = sent.mid(receivedAtClose);
    EXPECT_LE(after.count('\r'), 1) << after.constData();
    EXPECT_FALSE(sent.endsWith("v 144\r")) << "the read ran to its end";
}

}  // namespace
}  // namespace nesmo::test
