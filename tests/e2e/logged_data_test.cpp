#include <gtest/gtest.h>

#include <qcustomplot.h>
#include <QTest>

#include "e2e/dump_rig.h"
#include "logged_data/data_graph_page.h"
#include "logged_data/data_text_page.h"
#include "panel/panel_window.h"

namespace nesmo::test {
namespace {

QListWidget* tagList(DumpRig& rig)
{
    return rig.window->dataTextPage()->TagListBox();
}

QStringList entries(DumpRig& rig)
{
    QStringList out;
    for (int i = 0; i < tagList(rig)->count(); ++i)
        out << tagList(rig)->item(i)->text();
    return out;
}

// Lists the tags and loads the one whose entry starts with these two characters.
void listAndLoad(DumpRig& rig, const QString& number)
{
    rig.window->action("FileNew")->trigger();
    ASSERT_TRUE(rig.window->dataTextPage()->TagSelectPanel()->isVisible());
    const QStringList all = entries(rig);
    const qsizetype row = all.indexOf(QRegularExpression(QStringLiteral("^") + number + "\\b.*"));
    ASSERT_GE(row, 0) << all.join('|').toStdString();
    tagList(rig)->setCurrentRow(static_cast<int>(row));
    QTest::keyClick(tagList(rig), Qt::Key_Return);
}

qsizetype graphExchanges(DumpRig& rig)
{
    return readFile(rig.log).count("\rg\r");
}

TEST(LoggedData, ListLoadSaveReopenAndGraph)
{
    DumpRig rig({"--tag", "7:40"});
    ASSERT_TRUE(rig.sim->ready());
    rig.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(rig.window.get()));
    rig.window->ViewGraphExecute();
    rig.window->action("FileNew")->trigger();
    EXPECT_TRUE(rig.state.ReturnToGraph);
    EXPECT_EQ(rig.window->PageControl()->currentIndex(), 1);
    EXPECT_TRUE(rig.window->dataTextPage()->TagSelectPanel()->isVisible());
    EXPECT_TRUE(entries(rig).contains(QStringLiteral(" 7     40")))
        << entries(rig).join('|').toStdString();
    EXPECT_TRUE(tagList(rig)->hasFocus());

    listAndLoad(rig, QStringLiteral(" 7"));
    const QByteArray sent = readFile(rig.log);
    EXPECT_TRUE(sent.contains("v 157\rtags\rtags 1\r")) << sent.toStdString();
    EXPECT_TRUE(sent.endsWith("tagdump  7 \r")) << sent.toStdString();
    EXPECT_FALSE(rig.window->dataTextPage()->TagSelectPanel()->isVisible());
    EXPECT_FALSE(rig.state.Downloading);
    const QByteArray captured = rig.scratch();
    EXPECT_EQ(captured.count('\n'), 15 + 40);
    EXPECT_EQ(rig.window->dataTextPage()->textBytes(), captured);
    EXPECT_EQ(rig.state.CurrentFileName, QStringLiteral("UNT00007.txt"));
    EXPECT_EQ(rig.panel(0), QStringLiteral("UNT00007.txt"));
    EXPECT_TRUE(rig.panel(1).isEmpty());
    EXPECT_FALSE(rig.window->dataTextPage()->ProgressBar1()->isVisible());

    // Saved with CR LF line ends, and a save that fails changes nothing.
    const QString saved = rig.dir.filePath("week.csv");
    rig.dialogs.saveAnswer = rig.dir.filePath("scratch.txt/week.csv");
    rig.window->action("FileSaveAs")->trigger();
    ASSERT_EQ(rig.dialogs.messages.size(), 1);
    EXPECT_EQ(rig.state.CurrentFileName, QStringLiteral("UNT00007.txt"));
    EXPECT_EQ(rig.panel(0), QStringLiteral("UNT00007.txt"));
    EXPECT_EQ(rig.scratch(), captured);
    rig.dialogs.saveAnswer = saved;
    rig.window->action("FileSaveAs")->trigger();
    EXPECT_EQ(rig.dialogs.proposedNames.last(), QStringLiteral("UNT00007.txt"));
    QByteArray crlf = captured;
    crlf.replace("\n", "\r\n");
    EXPECT_EQ(readFile(saved), crlf);

    // Reopened, it graphs all 40 records without a word.
    rig.window->dataTextPage()->RichEdit1()->clear();
    rig.dialogs.openAnswer = saved;
    rig.window->action("FileOpen")->trigger();
    EXPECT_EQ(rig.window->dataTextPage()->textBytes(), captured);
    const qsizetype before = graphExchanges(rig);
    rig.window->ViewGraphExecute();
    EXPECT_EQ(graphExchanges(rig), before);  // the text changed: no "g\r" first
    DataGraphPage* graph = rig.window->dataGraphPage();
    EXPECT_EQ(graph->series(SeriesData)->data()->size(), 40);
    EXPECT_EQ(graph->series(SeriesPressure)->data()->size(), 40);
    EXPECT_TRUE(graph->title()->text().contains(QStringLiteral("Tag# 7")));
    EXPECT_EQ(rig.dialogs.messages.size(), 1) << rig.dialogs.messages.join('|').toStdString();

    // Shown again with nothing changed: "g\r" and no rebuild.
    rig.window->ViewTextExecute();
    rig.window->ViewGraphExecute();
    EXPECT_EQ(graphExchanges(rig), before + 1);
    // An option toggled on another page rebuilds without asking the instrument.
    rig.window->ViewMainExecute();
    rig.window->action("Markers")->trigger();
    rig.window->ViewGraphExecute();
    EXPECT_EQ(graphExchanges(rig), before + 1);
    EXPECT_EQ(graph->series(SeriesData)->scatterStyle().shape(), QCPScatterStyle::ssSquare);
}

TEST(LoggedData, DefaultNamesCarryTheDeviceNumber)
{
    {
        DumpRig rig({"--tag", "12:5"});
        listAndLoad(rig, QStringLiteral("12"));
        EXPECT_TRUE(readFile(rig.log).endsWith("tagdump 12 \r"));
        EXPECT_EQ(rig.state.CurrentFileName, QStringLiteral("UNT00012.txt"));
    }
    {
        DumpRig rig({"--device", "3", "--tag", "12:5"}, "DeviceFilter=1\nDeviceNumber=3\n");
        listAndLoad(rig, QStringLiteral("12"));
        EXPECT_EQ(rig.state.CurrentFileName, QStringLiteral("UNT00312.txt"));
        EXPECT_EQ(rig.scratch().count('\n'), 15 + 5);
        rig.window->ViewGraphExecute();
        EXPECT_TRUE(
            rig.window->dataGraphPage()->title()->text().contains(QStringLiteral("Dev# 3")));
    }
}

TEST(LoggedData, EmptyAndOneRecordTags)
{
    DumpRig rig({});
    // Tag 2 holds no records: its capture ends with its reply and shows the header.
    listAndLoad(rig, QStringLiteral(" 2"));
    EXPECT_FALSE(rig.state.Downloading);
    EXPECT_TRUE(rig.text().startsWith(QStringLiteral("\"Model Number\"")));
    EXPECT_TRUE(rig.text().contains(QStringLiteral("\"Number      \", 0")));
    EXPECT_EQ(rig.state.CurrentFileName, QStringLiteral("UNT00002.txt"));
    rig.window->ViewGraphExecute();
    EXPECT_EQ(rig.window->dataGraphPage()->series(SeriesData)->data()->size(), 0);

    listAndLoad(rig, QStringLiteral(" 3"));
    EXPECT_EQ(rig.scratch().count('\n'), 15 + 1);
    rig.window->ViewGraphExecute();
    EXPECT_EQ(rig.window->dataGraphPage()->series(SeriesData)->data()->size(), 1);
    EXPECT_TRUE(rig.dialogs.messages.isEmpty()) << rig.dialogs.messages.join('|').toStdString();
}

TEST(LoggedData, NoTagsAndARunningInstrument)
{
    {
        DumpRig rig({"--no-tags"});
        rig.window->action("FileNew")->trigger();
        EXPECT_EQ(rig.dialogs.messages, QStringList{"There are no tag files to download"});
        EXPECT_FALSE(rig.window->dataTextPage()->TagSelectPanel()->isVisible());
    }
    {
        DumpRig rig({"--running"});
        rig.window->action("Selectatag1")->trigger();
        EXPECT_TRUE(rig.state.InstrumentRunning);
        EXPECT_TRUE(rig.window->panel()->isVisible());
        EXPECT_FALSE(readFile(rig.log).contains("tags"));
        EXPECT_FALSE(rig.window->dataTextPage()->TagSelectPanel()->isVisible());
        EXPECT_TRUE(rig.dialogs.messages.isEmpty());
    }
}

}  // namespace
}  // namespace nesmo::test
