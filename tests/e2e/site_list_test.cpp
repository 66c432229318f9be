// The Site List page against nesmo7-sim over a pseudo-terminal: what a get and a
// set send, byte for byte, what the list shows after them, and its files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

#include "config/config_page.h"
#include "e2e/dump_rig.h"
#include "maintenance/site_list_page.h"

namespace nesmo::test {
namespace {

struct SiteRig : DumpRig {
    explicit SiteRig(QStringList simArgs = {}) : DumpRig(std::move(simArgs)) { sent(); }
    SiteListPage& page() { return *window->siteListPage(); }
    QString current() { return window->configPage()->Edit2()->text(); }
    // The line of one site, as the operator would type it over the old one.
    void editLine(int index, const QString& text)
    {
        QTextCursor c(page().SiteList()->document()->findBlockByNumber(index));
        c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        c.insertText(text);
    }
};

QByteArray getCommands(const QString& current)
{
    QByteArray out = "v 157\rsite\rsite 1 \"Factory default\" 1.000\r\r";
    for (int i = 1; i <= 50; ++i)
        out += "site " + QByteArray::number(i) + "\r\r";
    return out + "site " + current.toLatin1() + "\r";
}

TEST(SiteList, GetAsksForEverySiteAndFillsFiftyLines)
{
    SiteRig rig;
    ASSERT_TRUE(rig.sim->ready());
    EXPECT_FALSE(rig.page().SetSiteList()->isEnabled());
    rig.page().GetSiteList()->click();
    const QString current = rig.current();
    EXPECT_EQ(rig.sent(), getCommands(current));
    const QList<QByteArray> lines = rig.page().lines();
    ASSERT_EQ(lines.size(), 50);
    EXPECT_EQ(lines[0], QByteArray("1 \"Factory default\" 1.000"));
    for (int i = 0; i < 50; ++i)
        EXPECT_TRUE(lines[i].startsWith(QByteArray::number(i + 1) + " \"")) << lines[i].constData();
    EXPECT_TRUE(rig.page().SetSiteList()->isEnabled());
    EXPECT_TRUE(rig.page().GetSiteList()->isEnabled());
    EXPECT_TRUE(rig.dialogs.messages.isEmpty()) << rig.dialogs.messages.join('|').toStdString();
}

TEST(SiteList, SetSendsTheListAsItStoodAndShowsWhatTheInstrumentKept)
{
    SiteRig rig;
    rig.page().GetSiteList()->click();
    rig.sent();
    rig.editLine(2, QStringLiteral("3 \"Quarry, north\" 1,250"));
    QList<QByteArray> before = rig.page().lines();
    rig.page().SetSiteList()->click();
    QByteArray expected = "v 157\rsite\rsite 1 \"Factory default\" 1.000\r\r";
    for (const QByteArray& line : before)
        expected += "site  " + QByteArray(line).replace(',', '.') + "\r";
    expected += "site " + rig.current().toLatin1() + "\r";
    EXPECT_EQ(rig.sent(), expected);
    EXPECT_EQ(rig.page().lines().value(2), QByteArray("3 \"Quarry. north\" 1.250"));
    EXPECT_TRUE(rig.page().SetSiteList()->isEnabled());

    // Shift+Enter starts a new line, as Enter does.
    rig.page().SiteList()->setFocus();
    QTextCursor end(rig.page().SiteList()->document());
    end.movePosition(QTextCursor::End);
    rig.page().SiteList()->setTextCursor(end);
    QTest::keyClicks(rig.page().SiteList(), QStringLiteral("x"));
    QTest::keyClick(rig.page().SiteList(), Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(rig.page().SiteList(), QStringLiteral("y"));
    EXPECT_EQ(rig.page().lines().mid(50), (QList<QByteArray>{"x", "y"}));
    rig.dialogs.messages.clear();

    // A line the instrument would cut is named first; Cancel sends nothing more.
    rig.editLine(11, QStringLiteral("12 \"Twenty-one characters\" 1.500"));
    rig.dialogs.okCancelAnswer = false;
    rig.page().SetSiteList()->click();
    EXPECT_EQ(rig.sent(), QByteArray("v 157\r"));
    ASSERT_EQ(rig.dialogs.questions.size(), 1);
    EXPECT_TRUE(rig.dialogs.questions[0].contains("The lines of sites 12 are longer"))
        << rig.dialogs.questions[0].toStdString();
}

TEST(SiteList, AnInstrumentThatAnswersABlankLineStillFillsTheList)
{
    // Its prompt for the second CR of "site n\r\r" ends the next exchange early.
    SiteRig plain;
    plain.page().GetSiteList()->click();
    SiteRig answering({"--prompt-on-blank"});
    answering.page().GetSiteList()->click();
    // The last replies may come after the operation has returned (the stray prompts
    // end exchanges early); they land on their own lines all the same.
    const QByteArray expected = getCommands(plain.current());
    EXPECT_TRUE(waitUntil([&] { return readFile(answering.log).mid(answering.seen) == expected; }))
        << readFile(answering.log).mid(answering.seen).toPercentEncoding().constData();
    EXPECT_TRUE(waitUntil([&] { return answering.page().lines() == plain.page().lines(); }));
    EXPECT_TRUE(answering.page().SetSiteList()->isEnabled());
}

TEST(SiteList, RunModeRefusesTheSetButNotTheGet)
{
    SiteRig rig({"--running"});
    rig.page().GetSiteList()->click();
    EXPECT_EQ(rig.page().lines().size(), 50);
    EXPECT_FALSE(rig.page().SetSiteList()->isEnabled());
    rig.sent();
    rig.page().SetSiteListClick();
    EXPECT_EQ(rig.sent(), QByteArray("v 157\r"));
    EXPECT_EQ(rig.dialogs.messages,
              QStringList{"Site list data can not be changed while in run mode."});
}

TEST(SiteList, AFileRoundTripAddsAndLosesNoLine)
{
    SiteRig rig;
    rig.page().GetSiteList()->click();
    const QList<QByteArray> lines = rig.page().lines();
    const QString path = rig.dir.filePath("sites.txt");
    rig.dialogs.saveAnswer = path;
    rig.page().WriteSiteListFile()->click();
    QByteArray expected;
    for (const QByteArray& line : lines)
        expected += line + "\r\n";
    EXPECT_EQ(readFile(path), expected);
    EXPECT_EQ(rig.state.SiteFileName, path);
    EXPECT_EQ(rig.dialogs.saveDialogs.value(0).fileName, QStringLiteral("SiteFile.txt"));

    // Read back into a fresh program: the same lines, set enabled, nothing asked.
    rig.page().SiteList()->setPlainText(QStringLiteral("something else\n"));
    rig.dialogs.openAnswer = path;
    rig.sent();
    rig.page().ReadSiteListFile()->click();
    EXPECT_EQ(rig.page().lines(), lines);
    EXPECT_EQ(rig.state.CurrentFileName, path);
    EXPECT_EQ(rig.state.SiteFileName, path);
    EXPECT_EQ(rig.sent(), QByteArray());

    // A file with CR-only and LF-only line ends reads as its lines.
    writeFile(rig.dir.filePath("mixed.txt"), "1 \"a\" 1.000\r2 \"b\" 1.000\n3 \"c\" 1.000");
    rig.dialogs.openAnswer = rig.dir.filePath("mixed.txt");
    rig.page().ReadSiteListFile()->click();
    EXPECT_EQ(rig.page().lines(),
              (QList<QByteArray>{"1 \"a\" 1.000", "2 \"b\" 1.000", "3 \"c\" 1.000"}));
}

TEST(SiteList, AFileIsCheckedAndASetNamesTheSitesTheInstrumentRefused)
{
    SiteRig rig;
    // A file that is no site list changes nothing.
    rig.page().SiteList()->setPlainText(QStringLiteral("kept\n"));
    const QString data = rig.dir.filePath("UNT00001.txt");
    writeFile(data, "\"Model Number\",\"Nesmo-7\"\r\n\"Tag Number  \",1\r\n   1  0.012\r\n");
    rig.dialogs.openAnswer = data;
    rig.page().ReadSiteListFile()->click();
    EXPECT_EQ(rig.dialogs.messages.takeLast(),
              "The file " + data +
                  " holds no site list: none of its lines is a site (a number from 1 to 50, a "
                  "name in double quotes and a calibration factor). It was not read.\rA "
                  "logged-data file opens on the Data text page (File > Open from file).");
    EXPECT_EQ(rig.page().lines(), QList<QByteArray>{"kept"});
    EXPECT_FALSE(rig.page().SetSiteList()->isEnabled());
    const QString big = rig.dir.filePath("big.txt");
    writeFile(big, QByteArray(SiteListPage::kFileLimit + 1, 'x'));
    rig.dialogs.openAnswer = big;
    rig.page().ReadSiteListFile()->click();
    EXPECT_TRUE(rig.dialogs.messages.takeLast().endsWith(
        "It was not read.\rA logged-data file opens on the Data text page (File > Open from "
        "file)."));

    // Lines that are no sites are named; the list can be mended, then set.
    const QString sites = rig.dir.filePath("sites.txt");
    writeFile(sites,
              "1 \"Factory default\" 1.000\r\n2 Kiln 1.000\r\n\r\n4 \"Silo\" 0,950\r\n"
              "51 \"Shed\"\r\n");
    rig.dialogs.openAnswer = sites;
    rig.page().ReadSiteListFile()->click();
    EXPECT_EQ(rig.dialogs.messages.takeLast(),
              "2 lines of the file " + sites +
                  " are no site (a number from 1 to 50, a name in double quotes and a calibration "
                  "factor):\r2: 2 Kiln 1.000\r5: 51 \"Shed\"\r\"Set site list\" stays disabled "
                  "until every line in the list reads as a site.");
    EXPECT_EQ(rig.page().lines().size(), 5);
    EXPECT_FALSE(rig.page().SetSiteList()->isEnabled());
    rig.editLine(1, QStringLiteral("2 \"Kiln\" 1.000"));
    EXPECT_FALSE(rig.page().SetSiteList()->isEnabled());
    rig.editLine(4, QString());
    EXPECT_TRUE(rig.page().SetSiteList()->isEnabled());

    // A definition the instrument does not take is named after the set.
    rig.editLine(3, QStringLiteral("4 \"Silo\" 5000"));
    rig.page().SetSiteList()->click();
    EXPECT_EQ(rig.dialogs.messages.takeLast(),
              "The instrument refused the definition of site 4 (it answered HUH?).\rTheir lines "
              "in the list are not stored in the instrument as they stand; read the list again "
              "to see what it holds.");
    EXPECT_TRUE(rig.dialogs.messages.isEmpty());
}

TEST(SiteList, DuringAGetOrSetTheListAsksNothingAndClosingTellsNothing)
{
    SiteRig rig({"--pace"});
    rig.page().GetSiteList()->click();
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!rig.window->link().operations().busy()) return;
        probe.stop();
        QFocusEvent click(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(rig.page().SiteList(), &click);
    });
    probe.start(5);
    rig.page().SetSiteList()->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(probe.isActive());
    EXPECT_TRUE(rig.dialogs.messages.isEmpty()) << rig.dialogs.messages.join('|').toStdString();

    QTimer::singleShot(300, [&] { rig.window->close(); });
    rig.page().GetSiteList()->click();
    EXPECT_FALSE(rig.window->isVisible());
    EXPECT_TRUE(rig.dialogs.messages.isEmpty()) << rig.dialogs.messages.join('|').toStdString();
}

TEST(SiteList, TheLoadFirstMessageOnlyWhenTheOperatorEntersTheList)
{
    SiteRig rig;
    rig.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(rig.window.get()));
    rig.window->PageControl()->setCurrentWidget(&rig.page());
    QCoreApplication::processEvents();
    EXPECT_TRUE(rig.dialogs.messages.isEmpty());  // showing the page asks nothing
    QPlainTextEdit* list = rig.page().SiteList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.dialogs.messages,
              QStringList{"Please load site list for edit first.\nSelect 'Get site list'"});
    // The focus coming back when the box closes, or with the window, is no entry.
    QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(list, &back);
    QFocusEvent other(QEvent::FocusIn, Qt::OtherFocusReason);
    QApplication::sendEvent(list, &other);
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.dialogs.messages.size(), 1);
    // Once a list is loaded the box is simply edited.
    rig.page().GetSiteList()->click();
    list->clearFocus();
    QTest::mouseClick(list->viewport(), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(list->hasFocus());
    EXPECT_EQ(rig.dialogs.messages.size(), 1);
}

TEST(SiteList, ThePageFitsTheSmallestWindowAfterAGet)
{
    SiteRig rig;
    rig.window->PageControl()->setCurrentWidget(&rig.page());
    rig.page().GetSiteList()->click();
    // Merely showing the page asks nothing of the operator.
    EXPECT_TRUE(rig.dialogs.messages.isEmpty()) << rig.dialogs.messages.join('|').toStdString();
    for (const QSize size : {QSize(600, 460), QSize(900, 700)}) {
        rig.window->resize(size);
        QCoreApplication::processEvents();
        for (QPushButton* b : {rig.page().GetSiteList(), rig.page().SetSiteList(),
                               rig.page().ReadSiteListFile(), rig.page().WriteSiteListFile()}) {
            // Each caption fits its button, and each button lies inside the page.
            EXPECT_GE(b->width(), b->sizeHint().width()) << b->objectName().toStdString();
            EXPECT_TRUE(rig.page().rect().contains(b->geometry())) << b->objectName().toStdString();
        }
        if (const QByteArray dir = qgetenv("NESMO_SCREENSHOT_DIR"); !dir.isEmpty())
            rig.window->grab().save(QStringLiteral("%1/site-list-%2x%3.png")
                                        .arg(QString::fromLocal8Bit(dir))
                                        .arg(size.width())
                                        .arg(size.height()));
    }
}

}  // namespace
}  // namespace nesmo::test
