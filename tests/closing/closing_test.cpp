// The program closing in the middle of a configuration read, over TCP with
// nesmo7-sim. It runs the application's own event loop, which the window's close
// ends: a program of its own, so that no other test runs after that.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include "e2e/dump_rig.h"
#include "panel/panel_control.h"
#include "panel/panel_window.h"

namespace nesmo::test {
namespace {

TEST(LinkLife, ClosingDuringAConfigurationReadEndsTheProgramAtOnce)
{
    DumpRig rig(DumpRig::OverTcp{}, {"--pace"});
    ASSERT_EQ(rig.state.FirmwareVersion, 128);
    // The instrument panel is shown too: no other window may hold the program open.
    rig.window->panelControl()->ViewInstControlPanelClick();
    ASSERT_TRUE(rig.window->panel()->isVisible());
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
