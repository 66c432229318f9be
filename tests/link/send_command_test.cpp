#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "link/link.h"
#include "reply/recording_view.h"
#include "support/test_support.h"

namespace nesmo::test {
namespace {

// The link on a real serial port: the slave side of a pseudo-terminal whose
// master side the test plays as the instrument.
struct SerialRig {
    SerialRig() : pty(dir.filePath(QStringLiteral("ttyNESMO"))), link(state, view)
    {
        link.port().portMap().setExplicit(7, pty.linkPath());
        link.port().setPortNumber(7);
        opened = link.port().open();
    }
    QTemporaryDir dir;
    PtyPair pty;
    AppState state;
    RecordingView view;
    Link link;
    bool opened = false;
};

TEST(SendCommand, SeveralCommandsInOneTextWaitForEveryPrompt)
{
    SerialRig rig;
    ASSERT_TRUE(rig.opened);
    rig.state.InstrumentRunning = true;
    // The four answers come one by one: the exchange ends only with the fourth.
    int written = 0;
    QTimer feeder;
    QObject::connect(&feeder, &QTimer::timeout, [&] {
        static const char* const parts[] = {">", "V 157 OFF\r\n>", ">", "V 157 OFF\r\n>"};
        if (written < 4) rig.pty.writeToProgram(parts[written++]);
    });
    feeder.start(60);
    EXPECT_EQ(rig.link.SendCommand("key esc\r v 157\r key enter\r v 157\r", 4), 1);
    EXPECT_EQ(written, 4);
    EXPECT_FALSE(rig.state.InstrumentRunning);
    feeder.stop();
    // Fewer prompts than announced: the reply does not end, and the watchdog frees
    // the next command.
    rig.pty.readFromProgram(1, 200);
    QTimer::singleShot(20, [&] { rig.pty.writeToProgram(">"); });
    EXPECT_EQ(rig.link.SendCommand("key esc\r v 157\r", 2), 0);
    EXPECT_EQ(rig.link.lastOutcome(), Link::Outcome::Incomplete);
    EXPECT_TRUE(waitUntil([&] { return rig.state.ReplyComplete; }, 3000));
    QTimer::singleShot(100, [&] { rig.pty.writeToProgram("V 157 ON\r\n>"); });
    EXPECT_EQ(rig.link.SendCommand("v 157\r"), 1);
    EXPECT_TRUE(rig.state.InstrumentRunning);
}

TEST(SendCommand, PromptEndsTheExchangeAndStartsThePanelPoll)
{
    SerialRig rig;
    ASSERT_TRUE(rig.opened);
    rig.link.timer1().stop();
    QTimer::singleShot(20, [&] {
        EXPECT_EQ(rig.pty.readFromProgram(6), QByteArray("v 144\r"));
        rig.pty.writeToProgram("V 144 \"1.28\"\r\n>");
    });
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(rig.link.SendCommand("v 144\r"), 1);
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_TRUE(rig.link.timer1().isActive());
    EXPECT_EQ(rig.state.FirmwareVersion, 128);
    // The command was echoed into the terminal, then the reply shown.
    const auto& rows = rig.link.terminal().rows();
    EXPECT_EQ(rows[0], QByteArray("v 144"));
    EXPECT_EQ(rows[1], QByteArray("V 144 \"1.28\""));
}

TEST(SendCommand, DuringAFirmwareTransferOnlyItsOwnCommandsGoOut)
{
    SerialRig rig;
    ASSERT_TRUE(rig.opened);
    rig.state.FirmwareUpgradeActive = true;
    EXPECT_EQ(rig.link.SendCommand("v 5\r"), 0);
    EXPECT_EQ(rig.link.lastOutcome(), Link::Outcome::NotSent);
    QTimer::singleShot(20, [&] {
        // The refused command never reached the instrument.
        EXPECT_EQ(rig.pty.readFromProgram(6), QByteArray("v 252\r"));
        QTimer::singleShot(60, [&] { rig.pty.writeToProgram("V 252 1 2 3 99\r\n>"); });
    });
    // A command started while the transfer's own waits for its reply is no
    // command of the transfer.
    QTimer::singleShot(40, [&] { EXPECT_EQ(rig.link.SendCommand("g\r"), 0); });
    EXPECT_EQ(rig.link.SendUpgradeCommand("v 252\r"), 1);
    EXPECT_EQ(rig.link.SendCommand("v 5\r"), 0);
    EXPECT_EQ(rig.pty.readFromProgram(1, 200), QByteArray());
}

TEST(SendCommand, SilenceGivesZeroAndTheNextCommandIsStillSent)
{
    SerialRig rig;
    ASSERT_TRUE(rig.opened);
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(rig.link.SendCommand("v 157\r"), 0);
    const qint64 waited = t.elapsed();
    EXPECT_GE(waited, 45 * 55);
    EXPECT_LT(waited, 46 * 55 + 1500);
    EXPECT_EQ(rig.pty.readFromProgram(6), QByteArray("v 157\r"));
    // Not a byte came back, so the exchange is over and the next one goes out.
    EXPECT_TRUE(rig.state.ReplyComplete);
    QTimer::singleShot(20, [&] { rig.pty.writeToProgram(">"); });
    EXPECT_EQ(rig.link.SendCommand("d\r"), 1);
    EXPECT_EQ(rig.pty.readFromProgram(2), QByteArray("d\r"));
}

TEST(SendCommand, ReplyWithoutPromptEndsByTheWatchdog)
{
    SerialRig rig;
    ASSERT_TRUE(rig.opened);
    QTimer::singleShot(20, [&] { rig.pty.writeToProgram("LOGPERIOD 60\r\n"); });
    QElapsedTimer t;
    t.start();
    // The serial time-out (about 2.5 s of silence) comes before the 3 s watchdog.
    EXPECT_EQ(rig.link.SendCommand("logperiod\r"), 0);
    EXPECT_GE(t.elapsed(), 45 * 55);
    EXPECT_FALSE(rig.state.ReplyComplete);

    // The watchdog ends the reply 3 s after its last data.
    EXPECT_TRUE(waitUntil([&] { return rig.state.ReplyComplete; }, 3000));
}

TEST(SendCommand, PendingReplyIsAwaitedAtMostTenTicks)
{
    SerialRig rig;
    ASSERT_TRUE(rig.opened);
    // Data the instrument sends unasked leaves a reply pending.
    rig.pty.writeToProgram("LOGPERIOD 60\r\n");
    ASSERT_TRUE(waitUntil([&] { return !rig.state.ReplyComplete; }));
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(rig.link.SendCommand("units\r"), 0);
    EXPECT_GE(t.elapsed(), 10 * 55);
    EXPECT_LT(t.elapsed(), 11 * 55 + 400);
    EXPECT_TRUE(rig.pty.readFromProgram(1, 200).isEmpty());  // not sent
    EXPECT_TRUE(waitUntil([&] { return rig.state.ReplyComplete; }, 3500));
    QTimer::singleShot(20, [&] { rig.pty.writeToProgram("UNITS 2\r\n>"); });
    EXPECT_EQ(rig.link.SendCommand("units\r"), 1);
}

TEST(SendCommand, CommandDuringAnotherWaitIsSentAfterTheFirstReply)
{
    SerialRig rig;
    ASSERT_TRUE(rig.opened);
    int inner = -1;
    QTimer::singleShot(50, [&] { inner = rig.link.SendCommand("key UP\r"); });
    QTimer::singleShot(250, [&] { rig.pty.writeToProgram("LOGPERIOD 60\r\n>"); });
    QTimer::singleShot(450, [&] { rig.pty.writeToProgram(">"); });
    EXPECT_EQ(rig.link.SendCommand("logperiod\r"), 1);
    EXPECT_TRUE(waitUntil([&] { return inner != -1; }));
    EXPECT_EQ(inner, 1);
    EXPECT_EQ(rig.pty.readFromProgram(17), QByteArray("logperiod\rkey UP\r"));
}

TEST(SendCommand, EmptyCommandAndClosedPort)
{
    SerialRig rig;
    ASSERT_TRUE(rig.opened);
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(rig.link.SendCommand(QByteArray()), 1);
    EXPECT_LT(t.elapsed(), 200);
    rig.link.port().close();
    EXPECT_EQ(rig.link.SendCommand("v 5\r"), 0);
    EXPECT_TRUE(rig.pty.readFromProgram(1, 200).isEmpty());
}

TEST(SendCommand, VanishingDeviceIsReportedOnceAndEndsTheWait)
{
    SerialRig rig;
    ASSERT_TRUE(rig.opened);
    rig.state.FirmwareVersion = 128;
    QSignalSpy lost(&rig.link, &Link::linkLost);
    QTimer::singleShot(50, [&] { rig.pty.writeToProgram("V 141 SERIALNUMBER \"123\"\r\n"); });
    QTimer::singleShot(300, [&] { rig.pty.closeMaster(); });
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(rig.link.SendCommand("V 141\r"), 0);
    EXPECT_LT(t.elapsed(), 2000);
    EXPECT_TRUE(waitUntil([&] { return lost.count() > 0; }, 2000));
    QTest::qWait(200);
    EXPECT_EQ(lost.count(), 1);
    EXPECT_FALSE(rig.link.port().isOpen());
    // What arrived before the loss was handled.
    EXPECT_EQ(rig.view.text(Control::LabelSN), QStringLiteral("Serial No. 123 "));
    EXPECT_EQ(rig.link.SendCommand("d\r"), 0);
}

TEST(SendCommandNetwork, SeveralCommandsInOneTextKeepTheConnectionToTheLastPrompt)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    int connections = 0;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket* s = server.nextPendingConnection();
        ++connections;
        QObject::connect(s, &QTcpSocket::readyRead, [s] {
            s->readAll();
            s->write(">");
            QTimer::singleShot(100, s, [s] { s->write("V 157 OFF\r\n>"); });
        });
    });
    AppState state;
    state.NetworkMode = true;
    state.InstrumentRunning = true;
    RecordingView view;
    Link link(state, view);
    link.port().setTcpPort(server.serverPort());
    EXPECT_EQ(link.SendCommand("key esc\r v 157\r", 2), 1);
    EXPECT_FALSE(state.InstrumentRunning);
    EXPECT_EQ(connections, 1);
}

TEST(SendCommandNetwork, EachCommandRunsOverAConnectionOfItsOwn)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    int connections = 0;
    QByteArray received;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket* s = server.nextPendingConnection();
        ++connections;
        QObject::connect(s, &QTcpSocket::readyRead, [s, &received] {
            const QByteArray cmd = s->readAll();
            received += cmd;
            if (cmd.endsWith('\r')) s->write("V 157 ON\r\n>");
        });
    });
    AppState state;
    state.NetworkMode = true;
    state.ReplyTimeoutTicks = 180;
    RecordingView view;
    Link link(state, view);
    link.port().setTcpPort(server.serverPort());
    EXPECT_FALSE(link.port().isOpen());
    EXPECT_EQ(link.SendCommand("v 157\r"), 1);
    EXPECT_TRUE(state.InstrumentRunning);
    // Closed right after the prompt, reopened by the next command.
    EXPECT_TRUE(waitUntil([&] { return !link.port().isOpen(); }, 1000));
    EXPECT_EQ(link.SendCommand("v 157\r"), 1);
    EXPECT_EQ(connections, 2);
    EXPECT_EQ(received, QByteArray("v 157\rv 157\r"));
}

TEST(SendCommandNetwork, RefusedConnectionIsToldOnceAndEndsAtOnce)
{
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 unused = probe.serverPort();
    probe.close();
    AppState state;
    state.NetworkMode = true;
    state.ReplyTimeoutTicks = 180;
    RecordingView view;
    Link link(state, view);
    link.port().setTcpPort(unused);
    QSignalSpy lost(&link, &Link::linkLost);
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(link.SendCommand("v 157\r"), 0);
    EXPECT_EQ(link.SendCommand("v 157\r"), 0);
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_EQ(lost.count(), 1);
    EXPECT_TRUE(state.ReplyComplete);
}

}  // namespace
}  // namespace nesmo::test
