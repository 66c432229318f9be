// The instrument panel against nesmo7-sim over a pseudo-terminal: showing and
// hiding it, its keys by mouse and keyboard, its refresh, and its place.
#include <gtest/gtest.h>

#include <QAction>
#include <QGuiApplication>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include "e2e/dump_rig.h"
#include "panel/panel_control.h"
#include "panel/panel_window.h"
#include "shell/main_page.h"

namespace nesmo::test {
namespace {

struct PanelRig : DumpRig {
    explicit PanelRig(QStringList simArgs = {}, const QByteArray& setup = QByteArray())
        : DumpRig(std::move(simArgs), setup)
    {
        seen = readFile(log).size();
    }
    PanelWindow& panel() { return *window->panel(); }
    QPushButton* button() { return window->mainPage()->ShowPanelButton(); }
    QAction* item() { return window->action("ViewInstControlPanel"); }
};

TEST(Panel, ShownChecksTheInstrumentAndKeysRefreshTheDisplay)
{
    PanelRig rig;
    ASSERT_TRUE(rig.sim->ready());
    rig.button()->click();
    EXPECT_TRUE(rig.panel().isVisible());
    EXPECT_EQ(rig.button()->text(), QStringLiteral("Hide instrument panel"));
    EXPECT_TRUE(rig.item()->isChecked());
    EXPECT_EQ(rig.sent(), QByteArray("backlight\rv 5\rd \rv 144\rv 141\rv 5\r"));
    EXPECT_FALSE(rig.panel().displayLine(0).isEmpty());
    EXPECT_EQ(rig.panel().serialText(), QStringLiteral("Serial No. 20871 "));

    // Keys by keyboard (either case, arrows, keypad Enter) and by mouse.
    QTest::keyClick(&rig.panel(), Qt::Key_P);
    EXPECT_EQ(rig.sent(), QByteArray("key ENTER\rtag \rv 5\r"));
    QTest::keyClick(&rig.panel(), Qt::Key_Up);
    QTest::keyClick(&rig.panel(), Qt::Key_O);
    QTest::keyClick(&rig.panel(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(rig.sent(), QByteArray("key UP\rv 5\rkey DOWN\rv 5\rkey ENTER\rtag \rv 5\r"));
    rig.panel().keyButton(panel::Key::Esc)->click();
    QTest::keyClick(&rig.panel(), Qt::Key_X);  // no key of the instrument
    EXPECT_EQ(rig.sent(), QByteArray("key ESC\rv 5\r"));
    EXPECT_FALSE(rig.panel().keyButton(panel::Key::Esc)->hasFocus());

    // While shown the display is refreshed about every two seconds.
    EXPECT_TRUE(waitUntil([&] { return readFile(rig.log).mid(rig.seen) == "v 5\r"; }, 4000));
    rig.sent();

    // The close box only hides: no command, the button and the item follow.
    rig.panel().close();
    EXPECT_FALSE(rig.panel().isVisible());
    EXPECT_EQ(rig.button()->text(), QStringLiteral("Show instrument panel"));
    EXPECT_FALSE(rig.item()->isChecked());
    QTest::qWait(2500);
    EXPECT_EQ(rig.sent(), QByteArray());

    // The menu item shows it again through the whole toggle, and hides it too.
    rig.item()->trigger();
    EXPECT_TRUE(rig.panel().isVisible());
    EXPECT_TRUE(rig.item()->isChecked());
    EXPECT_EQ(rig.sent(), QByteArray("backlight\rv 5\rd \rv 144\rv 141\rv 5\r"));
    rig.item()->trigger();
    EXPECT_FALSE(rig.panel().isVisible());
    EXPECT_FALSE(rig.item()->isChecked());
    EXPECT_EQ(rig.sent(), QByteArray("backlight\rv 5\rd \r"));
}

TEST(Panel, OverTcpTheDisplayIsRefreshedToo)
{
    // In network mode the connection closes after every reply: the refresh opens it again.
    DumpRig rig(DumpRig::OverTcp{}, {});
    ASSERT_EQ(rig.state.FirmwareVersion, 128);
    rig.sent();
    rig.window->panelControl()->ViewInstControlPanelClick();
    EXPECT_TRUE(rig.window->panel()->isVisible());
    EXPECT_EQ(rig.sent(), QByteArray("backlight\rv 5\rd \rv 144\rv 141\rv 5\r"));
    QTest::keyClick(rig.window->panel(), Qt::Key_I);
    EXPECT_EQ(rig.sent(), QByteArray("key UP\rv 5\r"));
    EXPECT_TRUE(waitUntil([&] { return readFile(rig.log).mid(rig.seen) == "v 5\r"; }, 4000));
}

TEST(Panel, ShowingItDuringADownloadNeitherCutsNorClosesTheLink)
{
    PanelRig rig({"--pace", "--tag", "5:1000"});
    QPushButton* connection = rig.window->mainPage()->SerialConnectionButton();
    // The operator asks for the panel while the dump still arrives: its commands
    // wait for the dump's end, then the panel shows.
    QTimer::singleShot(300, [&] { rig.button()->click(); });
    rig.window->link().SendCommand("tagdump  5 \r");
    EXPECT_TRUE(waitUntil([&] { return !rig.state.Downloading; }, 15000));
    EXPECT_EQ(rig.scratch().count('\n'), 15 + 1000);
    EXPECT_TRUE(rig.panel().isVisible());
    EXPECT_TRUE(rig.window->link().port().isOpen());
    EXPECT_EQ(connection->text(), QStringLiteral("Serial Connection : COM7"));
    const QByteArray sent = rig.sent();
    // The display's refresh is left to the next tick: it never runs inside the
    // download's own wait.
    EXPECT_EQ(sent, QByteArray("tagdump  5 \rbacklight\rv 5\rd \rv 144\rv 141\r"))
        << sent.toPercentEncoding().constData();
}

TEST(Panel, KeysPressedDuringAnExchangeWaitTheirTurnAndRepeatsAreDropped)
{
    // Replies come slowly, in small pieces: the operator goes on pressing meanwhile.
    PanelRig rig({"--chunk", "4", "--chunk-delay", "30"});
    rig.window->panelControl()->ViewInstControlPanelClick();
    ASSERT_TRUE(rig.panel().isVisible());
    rig.sent();
    QTimer::singleShot(20, [&] {
        // Two separate clicks, then a held key's repeats.
        for (int i = 0; i < 2; ++i)
            rig.window->panel()->keyButton(panel::Key::Down)->click();
        for (int i = 0; i < 3; ++i) {
            QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), true);
            QCoreApplication::sendEvent(&rig.panel(), &repeat);
        }
    });
    QTest::keyClick(&rig.panel(), Qt::Key_Down);
    EXPECT_EQ(rig.sent(), QByteArray("key DOWN\rv 5\r").repeated(3));
}

TEST(Panel, ItsPlaceIsKeptAndAPlaceOffTheScreensIsMovedBack)
{
    {
        PanelRig rig({}, "\n[Panel]\nTop=120\nLeft=140\n");
        rig.window->panelControl()->ViewInstControlPanelClick();
        ASSERT_TRUE(rig.panel().isVisible());
        EXPECT_EQ(rig.panel().frameGeometry().topLeft(), QPoint(140, 120));
        rig.panel().move(150, 90);
        const QSize frame = rig.panel().frameGeometry().size();  // the window with its frame
        rig.window->close();
        const QByteArray ini = readFile(rig.dir.filePath("NesmoComm.INI"));
        EXPECT_TRUE(
            ini.contains("[Panel]\nTop=90\nLeft=150\nHeight=" + QByteArray::number(frame.height()) +
                         "\nWidth=" + QByteArray::number(frame.width()) + "\n"))
            << ini.constData();
    }
    PanelRig far({}, "\n[Panel]\nTop=9000\nLeft=-9000\n");
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(far.panel().frameGeometry().topLeft()))
        << far.panel().frameGeometry().x() << "," << far.panel().frameGeometry().y();
}

TEST(Panel, BothDisplayLinesShowWhole)
{
    PanelRig rig;
    rig.window->panelControl()->ViewInstControlPanelClick();
    PanelWindow& panel = rig.panel();
    panel.setDisplayLine(0, QStringLiteral("0.123 mg/m3  RUN"));
    panel.setDisplayLine(1, QStringLiteral("12:34:56  TAG 07"));
    QPlainTextEdit* display = panel.display();
    QCoreApplication::processEvents();
    const QTextBlock second = display->document()->lastBlock();
    ASSERT_EQ(second.blockNumber(), 1);
    // The display's own layout: the second line ends inside the display, and
    // sixteen characters fit its width.
    const auto* layout =
        qobject_cast<QPlainTextDocumentLayout*>(display->document()->documentLayout());
    ASSERT_TRUE(layout);
    const QRectF lines = layout->blockBoundingRect(second).translated(
        0, layout->blockBoundingRect(display->document()->firstBlock()).height());
    EXPECT_LE(lines.bottom() + display->document()->documentMargin(),
              display->viewport()->height());
    EXPECT_LE(display->fontMetrics().horizontalAdvance(QString(16, QLatin1Char('M'))) +
                  2 * display->document()->documentMargin(),
              display->viewport()->width());
    // The keys and the keyboard letters carry their pictures.
    const QImage enter = panel.keyButton(panel::Key::Enter)->icon().pixmap(47).toImage();
    EXPECT_NE(enter.pixelColor(23, 23).alpha(), 0);
    const auto* letterP = panel.findChild<QLabel*>(QStringLiteral("Image6"));
    ASSERT_TRUE(letterP);
    EXPECT_NE(letterP->pixmap().toImage().pixelColor(22, 22).alpha(), 0);
    if (const QByteArray dir = qgetenv("NESMO_SCREENSHOT_DIR"); !dir.isEmpty())
        panel.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/panel.png"));
}

}  // namespace
}  // namespace nesmo::test
