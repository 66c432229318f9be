#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include "logged_data/data_text_page.h"
#include "shell/main_page.h"
#include "shell/main_window.h"
#include "support/test_support.h"

namespace nesmo::test {
namespace {

// nesmo7-sim on a pseudo-terminal, and the real main window with a settings file
// that maps COM7 to it.
struct SimWindow {
    explicit SimWindow(QStringList simArgs = {}, const QByteArray& setup = "ComPort=0\n")
    {
        tty = dir.filePath("ttyNESMO7");
        log = dir.filePath("sim.log");
        sim = std::make_unique<SimProcess>(QStringList{"--pty", tty, "--log", log} + simArgs);
        ini = dir.filePath("NesmoComm.INI");
        writeFile(ini, "[Setup]\n" + setup + "\n[Ports]\nCOM7=" + tty.toLocal8Bit() + "\n");
        dialogs.portChoice = chooseDevice(tty);
        window = std::make_unique<MainWindow>(state, dialogs, ini, QStringList{});
    }
    void show()
    {
        window->show();
        waitUntil([&] { return window->isVisible(); });
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    QByteArray received() { return readFile(log); }
    MainPage* page() { return window->mainPage(); }
    QString caption() { return page()->SerialConnectionButton()->text(); }

    QTemporaryDir dir;
    QString tty, log, ini;
    std::unique_ptr<SimProcess> sim;
    AppState state;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
};

TEST(Connection, ADumpNobodyAskedForDoesNotTakeTheNextCommandsReply)
{
    SimWindow rig({"--pace", "--no-tags", "--tag", "11:600:10"}, "ComPort=7\n");
    ASSERT_TRUE(rig.sim->ready());
    rig.show();
    ASSERT_TRUE(waitUntil([&] { return rig.state.FirmwareVersion == 128; }));
    // A dump that a cancelled download or an unplug left running (the
    // instrument sends its tag to the end, whoever listens), then the line
    // opened anew in the middle of it.
    Link& link = rig.window->link();
    ASSERT_TRUE(link.port().write("tagdump 11 \r"));
    QTest::qWait(1000);
    link.port().close();
    ASSERT_TRUE(link.port().open());
    rig.state.FirmwareVersion = 0;
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(link.SendCommand("v 144\r"), 1);
    EXPECT_EQ(rig.state.FirmwareVersion, 128);  // its own reply, after the dump
    EXPECT_GT(t.elapsed(), 2000);               // the rest of 600 paced records
}

TEST(Connection, ClickSequenceThroughThePortDialog)
{
    SimWindow rig;
    ASSERT_TRUE(rig.sim->ready());
    rig.show();
    EXPECT_EQ(rig.caption(), QStringLiteral("Serial Connection:  none   "));

    rig.page()->SerialConnectionButton()->click();
    ASSERT_EQ(rig.dialogs.portDialogs.size(), 1);
    EXPECT_TRUE(rig.dialogs.portDialogs[0].join('\n').contains("COM7   " + rig.tty));
    EXPECT_EQ(rig.caption(), QStringLiteral("Serial Connection : COM7"));
    EXPECT_TRUE(rig.page()->connected());
    EXPECT_EQ(rig.received(), QByteArray("v 144\rV 141\rd\r"));
    EXPECT_EQ(rig.state.FirmwareVersion, 128);
    EXPECT_EQ(rig.page()->StatusBarMainText()->text(),
              QStringLiteral("Serial No. 20871 Version 1.28"));

    rig.page()->SerialConnectionButton()->click();
    EXPECT_EQ(rig.caption(), QStringLiteral("Serial Connection:  none   "));
    EXPECT_EQ(rig.window->link().port().portNumber(), 0);
    EXPECT_FALSE(rig.window->link().port().isOpen());

    // The version is known now: only the serial number and the display are asked for.
    rig.page()->SerialConnectionButton()->click();
    EXPECT_EQ(rig.dialogs.portDialogs.size(), 2);
    EXPECT_EQ(rig.received(), QByteArray("v 144\rV 141\rd\rV 141\rd\r"));
    EXPECT_TRUE(rig.dialogs.messages.isEmpty()) << rig.dialogs.messages.join('|').toStdString();
    EXPECT_TRUE(rig.dialogs.errors.isEmpty()) << rig.dialogs.errors.join('|').toStdString();

    rig.page()->SerialConnectionButton()->click();
    rig.window->close();
    EXPECT_TRUE(readFile(rig.ini).contains("ComPort=0\n"));
}

TEST(Connection, StoredPortOpensAtStartAndIsWrittenBack)
{
    SimWindow rig({}, "ComPort=7\n");
    ASSERT_TRUE(rig.sim->ready());
    rig.show();
    EXPECT_TRUE(waitUntil([&] { return rig.state.FirmwareVersion == 128; }));
    EXPECT_EQ(rig.caption(), QStringLiteral("Serial Connection : COM7"));
    EXPECT_TRUE(rig.dialogs.portDialogs.isEmpty());
    rig.window->close();
    const QByteArray ini = readFile(rig.ini);
    EXPECT_TRUE(ini.contains("ComPort=7\n"));
    EXPECT_TRUE(ini.contains("[Ports]\nCOM7=" + rig.tty.toLocal8Bit()));
}

TEST(Connection, PermissionAdviceNamesAGroupOnlyWhereJoiningItHelps)
{
    struct Case {
        unsigned mode;
        const char* group;
        bool rootGroup;
        bool join;
    } cases[] = {{0660, "dialout", false, true},
                 {0600, "dialout", false, false},  // the group may not use it
                 {0620, "tty", false, false},      // a terminal's: write only
                 {0660, "root", true, false}};     // never advise joining root's group
    for (const Case& k : cases) {
        SCOPED_TRACE(k.group);
        const DeviceAccess a{true, k.mode, "root", k.group, k.rootGroup};
        const QString advice = permissionAdvice("/dev/ttyUSB0", a, "alice");
        EXPECT_TRUE(advice.startsWith("No permission to use the serial port /dev/ttyUSB0."));
        EXPECT_EQ(advice.contains(QStringLiteral("sudo usermod -aG %1 alice").arg(k.group)),
                  k.join);
        EXPECT_EQ(advice.contains("Only its owner root may open it"), !k.join);
    }
}

TEST(Connection, OpenFailuresAreToldAndLeaveTheLinkClosed)
{
    {
        SimWindow rig({}, "ComPort=7\n");
        ASSERT_TRUE(rig.sim->ready());
        QSerialPort other(rig.tty);  // another program holds the port
        ASSERT_TRUE(other.open(QIODevice::ReadWrite));
        rig.show();
        EXPECT_EQ(rig.dialogs.messages, QStringList{"This com port is already busy"});
        EXPECT_EQ(rig.caption(), QStringLiteral("Serial Connection:  none   "));
        EXPECT_EQ(rig.window->link().port().portNumber(), 0);

        // The same refusal for a user without access says so, with the advice
        // for the device as it is (a pseudo-terminal's group may not read it).
        rig.dialogs.messages.clear();
        rig.window->link().port().setAccessCheck([](const QString&) { return false; });
        rig.window->link().port().setPortNumber(7);
        rig.page()->SetConnection(true);
        ASSERT_EQ(rig.dialogs.messages.size(), 1);
        EXPECT_EQ(rig.dialogs.messages[0],
                  permissionAdvice(rig.tty, deviceAccess(rig.tty), currentUserName()));
        EXPECT_EQ(rig.caption(), QStringLiteral("Serial Connection:  none   "));
    }
    {
        SimWindow rig({}, "ComPort=9\n");
        rig.show();
        EXPECT_EQ(rig.dialogs.messages, QStringList{"Com port does not exist"});
        EXPECT_EQ(rig.window->link().port().portNumber(), 0);
        rig.window->close();
        EXPECT_TRUE(readFile(rig.ini).contains("ComPort=0\n"));
    }
    {
        // Cancelling the port dialog is reported by the standard error box.
        SimWindow rig;
        rig.dialogs.portChoice = nullptr;
        rig.show();
        rig.page()->SerialConnectionButton()->click();
        EXPECT_EQ(rig.dialogs.errors.size(), 1);
        EXPECT_EQ(rig.caption(), QStringLiteral("Serial Connection:  none   "));
    }
}

TEST(Connection, UnpluggedDeviceIsToldOnceAndEveryLineKept)
{
    SimWindow rig({"--drop-after", "4"}, "ComPort=7\n");
    ASSERT_TRUE(rig.sim->ready());
    rig.show();
    ASSERT_TRUE(waitUntil([&] { return rig.state.FirmwareVersion == 128; }));
    Link& link = rig.window->link();
    EXPECT_EQ(link.SendCommand("V 141\r"), 1);
    EXPECT_EQ(link.SendCommand("v 157\r"), 1);
    link.SendCommand("d\r");  // the simulator drops the link after this one
    EXPECT_TRUE(waitUntil([&] { return !rig.dialogs.messages.isEmpty(); }, 4000));
    QTest::qWait(300);
    EXPECT_EQ(rig.dialogs.messages.size(), 1);
    EXPECT_EQ(rig.caption(), QStringLiteral("Serial Connection:  none   "));
    EXPECT_EQ(link.SendCommand("v 157\r"), 0);
}

TEST(Connection, NetworkModeOverLoopbackClosesAfterEachPrompt)
{
    QTemporaryDir dir;
    const QString log = dir.filePath("sim.log");
    SimProcess sim({"--tcp", "0", "--log", log});
    ASSERT_TRUE(sim.ready());
    const QString ini = dir.filePath("NesmoComm.INI");
    // The simulator's port from the settings file, as the demo hands it over.
    const QByteArray network =
        "[Network]\nAddress=127.0.0.1\nPort=" + QByteArray::number(sim.tcpPort()) + "\n";
    writeFile(ini, "[Setup]\nComPort=3\n\n" + network);
    AppState state;
    ScriptedDialogs dialogs;
    MainWindow window(state, dialogs, ini, {"NesmoComm", "net"});
    MainPage* page = window.mainPage();
    EXPECT_EQ(page->NetPort()->text(), QString::number(sim.tcpPort()));
    window.show();
    ASSERT_TRUE(waitUntil([&] { return state.FirmwareVersion == 128; }));
    EXPECT_EQ(page->SerialConnectionButton()->text(), QStringLiteral("Serial Connection : COM3"));
    EXPECT_TRUE(waitUntil([&] { return !window.link().port().isOpen(); }));
    EXPECT_EQ(page->Label19()->text(), QStringLiteral("un connected"));
    EXPECT_EQ(window.link().SendCommand("v 157\r"), 1);
    EXPECT_EQ(window.link().SendCommand("V 141\r"), 1);
    EXPECT_EQ(page->StatusBarMainText()->text(), QStringLiteral("Serial No. 20871 Version 1.28"));
    EXPECT_TRUE(readFile(log).endsWith("v 144\rv 157\rV 141\r"));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
    window.close();
    EXPECT_TRUE(readFile(ini).contains(network));
}

}  // namespace
}  // namespace nesmo::test
