// A new connection in the middle of a dump, over TCP with nesmo7-sim.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "config/config_page.h"
#include "e2e/dump_rig.h"
#include "shell/main_page.h"
#include "shell/main_window.h"
#include "support/test_support.h"

namespace nesmo::test {
namespace {

TEST(LinkLife, ANewConnectionInTheMiddleOfADumpStartsClean)
{
    DumpRig rig(DumpRig::OverTcp{}, {"--pace"});
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

}  // namespace
}  // namespace nesmo::test
