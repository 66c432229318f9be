// What assistive tools read for the controls of the three windows, against the
// simulated instrument, before and after the program changes their texts.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "auxiliary/about_window.h"
#include "config/config_page.h"
#include "e2e/dump_rig.h"
#include "panel/panel_window.h"
#include "shell/main_page.h"

namespace nesmo::test {
namespace {

QString readName(QWidget* w)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

void expectAllReadable(DumpRig& rig, const char* when)
{
    for (QWidget* window :
         {static_cast<QWidget*>(rig.window.get()), static_cast<QWidget*>(rig.window->panel()),
          static_cast<QWidget*>(rig.window->about())}) {
        const QStringList faults = unreadableControls(window);
        EXPECT_TRUE(faults.isEmpty()) << when << ":\n" << faults.join('\n').toStdString();
    }
}

TEST(Accessibility, ControlsReadWhatTheyShowAsTheTextsChange)
{
    DumpRig rig({"--tag", "9:6"});
    ASSERT_TRUE(rig.sim->ready());
    QPushButton* connect =
        rig.window->findChild<QPushButton*>(QStringLiteral("SerialConnectionButton"));
    ASSERT_TRUE(connect);
    EXPECT_EQ(readName(connect), QStringLiteral("Serial Connection : COM7"));
    expectAllReadable(rig, "connected");

    // A configuration read ends with its status line.
    rig.window->ViewConfigExecute();
    auto* status = rig.window->findChild<QLabel*>(QStringLiteral("StatusBarConfigText"));
    ASSERT_TRUE(status);
    ASSERT_TRUE(waitUntil([&] {
        return status->text() == QStringLiteral("Configuration has been loaded from instrument.");
    }));
    EXPECT_EQ(readName(status), status->text());
    expectAllReadable(rig, "after a configuration read");

    // A download names its file in the first status panel.
    rig.window->action("FileNew")->trigger();
    QListWidget* tags = rig.window->dataTextPage()->TagListBox();
    const QList<QListWidgetItem*> nine = tags->findItems(QStringLiteral(" 9"), Qt::MatchStartsWith);
    ASSERT_EQ(nine.size(), 1);
    tags->setCurrentItem(nine.first());
    QTest::keyClick(tags, Qt::Key_Return);
    auto* fileName = rig.window->findChild<QLabel*>(QStringLiteral("StatusBar1Panel0"));
    ASSERT_TRUE(fileName);
    EXPECT_EQ(readName(fileName), QStringLiteral("UNT00009.txt"));
    expectAllReadable(rig, "after a download");

    // Disconnected, the button reads its new caption.
    connect->click();
    EXPECT_EQ(readName(connect), QStringLiteral("Serial Connection:  none   "));
    expectAllReadable(rig, "disconnected");
}

}  // namespace
}  // namespace nesmo::test
