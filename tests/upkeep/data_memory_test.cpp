// Deleting tags and re-formatting the data memory, against nesmo7-sim over a
// pseudo-terminal (what goes out, byte for byte, and what the operator is told)
// and without any instrument (nothing is reported as done).
#include <gtest/gtest.h>

#include <QAction>
#include <QTest>

#include "config/page_rig.h"
#include "e2e/dump_rig.h"
#include "logged_data/data_memory.h"
#include "logged_data/tag_directory.h"
#include "shell/main_page.h"

namespace nesmo::test {
namespace {

struct MemoryRig : DumpRig {
    explicit MemoryRig(QStringList simArgs) : DumpRig(std::move(simArgs))
    {
        sent();
        dialogs.messages.clear();
    }
    DataTextPage* page() { return window->dataTextPage(); }
    QListWidget* list() { return page()->TagListBox(); }
    // The tag list as File > Get data shows it.
    void listTags()
    {
        window->action("FileNew")->trigger();
        sent();
        dialogs.messages.clear();
    }
    void choose(int row)
    {
        list()->setCurrentRow(row);
        list()->item(row)->setSelected(true);
    }
};

TEST(DataMemory, DeletesTheChosenTagOnlyOnceTheInstrumentHasMadeItCurrent)
{
    MemoryRig rig({"--no-tags", "--tag", "1:5", "--tag", "2:5", "--tag", "3:5", "--tag", "4:5"});
    rig.listTags();
    ASSERT_EQ(rig.list()->count(), 4);
    EXPECT_EQ(rig.list()->item(1)->text(), QStringLiteral(" 2      5"));

    // Nothing chosen: nothing sent.
    rig.list()->clearSelection();
    QTest::keyClick(rig.list(), Qt::Key_Delete);
    EXPECT_EQ(rig.dialogs.messages.takeLast(), "No tag files were selected for deletion");
    EXPECT_EQ(rig.sent(), QByteArray());

    // No: the tag is current all the same, the text page cleared.
    rig.page()->RichEdit1()->setPlainText("old text");
    rig.choose(1);
    rig.dialogs.answers = {false};
    QTest::keyClick(rig.list(), Qt::Key_Delete);
    EXPECT_EQ(rig.sent(), QByteArray("tag  2      5\r"));
    ASSERT_EQ(rig.dialogs.asked.size(), 1);
    EXPECT_EQ(rig.dialogs.asked[0].text,
              "WARNING! \n Are you sure you want to delete Tag file 2 from the instrument?");
    EXPECT_EQ(rig.dialogs.asked[0].caption, "NESMO-7");
    EXPECT_EQ(rig.dialogs.asked[0].icon, Dialogs::Icon::Error);
    EXPECT_EQ(rig.dialogs.messages.takeLast(), "No tag files were deleted");
    EXPECT_TRUE(rig.page()->RichEdit1()->toPlainText().isEmpty());
    EXPECT_EQ(rig.window->configPage()->TagNumberEdit()->text(), "2");

    // Yes, from the Delete button: the tags listed afterwards tell that it went.
    rig.choose(1);
    rig.page()->TagDeleteBitButton()->click();
    EXPECT_EQ(rig.sent(), QByteArray("tag  2      5\rv 147\rtags\r"));
    EXPECT_EQ(rig.dialogs.messages.takeLast(), "Tag  2 has been deleted");
    EXPECT_FALSE(rig.page()->TagSelectPanel()->isVisible());
    ASSERT_EQ(rig.list()->count(), 3);

    // Every listed tag, in order, from the button with "Delete all data". A
    // listing asked for in the middle is refused: it would rebuild the list.
    // (Queued, the listing runs inside the wait of the command after the first
    // "v 147", as a click would.)
    QObject context;
    int exchanges = 0;
    QObject::connect(
        &rig.window->link(), &Link::exchangeEnded, &context,
        [&] {
            if (++exchanges == 4) rig.window->tagDirectory()->FileNewExecute();
        },
        Qt::QueuedConnection);
    rig.page()->CheckBoxAllData()->setChecked(true);
    rig.page()->TagDeleteBitButton()->click();
    EXPECT_GT(exchanges, 4);
    EXPECT_EQ(rig.sent(), QByteArray("v 157\rv 157\rtag  1\rv 147\rtag  3\rv 147\rtag  4\rv 147\r"
                                     "tags\r"));
    EXPECT_EQ(rig.dialogs.asked.last().text,
              "WARNING! \nAre you sure you want to delete ALL Tag files from the instrument?");
    EXPECT_EQ(rig.dialogs.messages,
              (QStringList{"Wait until the program has finished deleting tags.",
                           "ALL tag files have been deteted"}));
    EXPECT_FALSE(rig.page()->CheckBoxAllData()->isChecked());

    rig.window->action("FileNew")->trigger();
    EXPECT_EQ(rig.dialogs.messages.takeLast(), "There are no tag files to download");
}

TEST(DataMemory, ATagTheInstrumentKeepsOrDoesNotConfirmIsNotReportedDeleted)
{
    // An entry the instrument does not take leaves another tag current: the
    // instrument is never told to delete its current tag then.
    MemoryRig rig({"--no-tags", "--tag", "4:3"});
    rig.list()->addItems({" 4      3", "4x      3"});
    rig.choose(1);
    QTest::keyClick(rig.list(), Qt::Key_Delete);
    EXPECT_EQ(rig.sent(), QByteArray("tag 4x      3\r"));
    EXPECT_TRUE(rig.dialogs.asked.isEmpty());
    EXPECT_EQ(rig.dialogs.messages.takeLast(),
              "The instrument did not confirm tag 4x as its current tag.\rNo tag files were "
              "deleted");

    // Delete-all stops at the first tag that fails and says how far it came.
    rig.window->action("Clearalltags1")->trigger();
    EXPECT_EQ(rig.sent(), QByteArray("v 157\rv 157\rtag  4      3\rv 147\rtag 4x      3\rtags\r"));
    EXPECT_EQ(rig.dialogs.messages.takeLast(),
              "The instrument did not confirm tag 4x as its current tag.\r1 of 2 tag files have "
              "been deleted; the deleting stopped at tag 4x.");
    // The menu leaves the check box as it set it.
    EXPECT_TRUE(rig.page()->CheckBoxAllData()->isChecked());

    // The tag a run logs into stays in the instrument, and is said to.
    MemoryRig running({"--no-tags", "--running"});
    running.window->link().SendCommand("tag\r");
    const int logging = running.state.CurrentTag;
    ASSERT_GT(logging, 0);
    running.list()->addItem(QString::asprintf("%2d", logging));
    running.choose(0);
    running.sent();
    QTest::keyClick(running.list(), Qt::Key_Delete);
    EXPECT_EQ(running.sent(), QString::asprintf("tag %2d\rv 147\rtags\r", logging).toLatin1());
    EXPECT_EQ(running.dialogs.messages.takeLast(),
              QStringLiteral("Tag %1 is still in the Nesmo-7.\rThe instrument keeps the tag it is "
                             "logging into.")
                  .arg(logging));
}

TEST(DataMemory, ReformatShowsTimeUntilTheInstrumentReportsIt)
{
    MemoryRig rig({"--reformat-seconds", "1"});
    InstrumentProgress& progress = rig.window->mainPage()->progress();
    QProgressBar* bar = rig.window->mainPage()->ProgressBar2();
    rig.window->ViewTextExecute();

    rig.dialogs.answers = {false};
    rig.window->action("Clearallloggeddata1")->trigger();
    EXPECT_EQ(rig.dialogs.messages.takeLast(), "Data was not erased.");
    EXPECT_EQ(rig.sent(), QByteArray("v 157\r"));

    rig.window->action("Clearallloggeddata1")->trigger();
    EXPECT_EQ(rig.sent(), QByteArray("v 157\rv 160\r"));
    EXPECT_EQ(rig.dialogs.asked.last().caption, "Nesmo-7 Re-format data memory");
    EXPECT_EQ(rig.dialogs.asked.last().icon, Dialogs::Icon::Information);
    EXPECT_EQ(rig.dialogs.asked.last().text,
              "Re-formatting data memory will take 100 seconds.\rAll Nesmo-7 Logged data and Site "
              "List data will be erased.");
    EXPECT_EQ(rig.window->PageControl()->currentIndex(), 0);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->value(), 1);
    EXPECT_TRUE(progress.reformatRunning());
    if (const QByteArray shots = qgetenv("NESMO_SHOTS"); !shots.isEmpty())
        rig.window->grab().save(QString::fromLocal8Bit(shots) + "/main-during-reformat.png");

    ASSERT_TRUE(waitUntil([&] { return !rig.dialogs.messages.isEmpty(); }, 4000));
    EXPECT_EQ(rig.dialogs.messages.takeLast(), "All data memory has been reset.");
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(bar->value(), 100);
    EXPECT_FALSE(progress.reformatRunning());
    rig.window->action("FileNew")->trigger();
    EXPECT_EQ(rig.dialogs.messages.takeLast(), "There are no tag files to download");
}

TEST(DataMemory, ErasingIsRefusedInRunModeAndAReformatThatNeverEndsHoldsTheUpgrade)
{
    {
        MemoryRig rig({"--running"});
        rig.window->action("Clearallloggeddata1")->trigger();
        rig.window->action("Clearalltags1")->trigger();
        EXPECT_EQ(rig.dialogs.messages, (QStringList{"Instrument should be in standby for "
                                                     "memory reset.\rMemory was not erased.",
                                                     "Cannot delete data in RUN mode"}));
        EXPECT_EQ(rig.sent(), QByteArray("v 157\rv 157\rv 157\r"));
        EXPECT_TRUE(rig.dialogs.asked.isEmpty());
    }
    MemoryRig rig({"--reformat-never"});
    InstrumentProgress& progress = rig.window->mainPage()->progress();
    rig.window->action("Clearallloggeddata1")->trigger();
    rig.sent();
    // The bar counts seconds and starts again from 0 after 99.
    EXPECT_TRUE(waitUntil([&] { return progress.position() == 2; }, 2500));
    for (int i = 2; i < 99; ++i)
        progress.Timer4Timer();
    EXPECT_EQ(progress.position(), 99);
    progress.Timer4Timer();
    EXPECT_EQ(progress.position(), 0);

    rig.window->action("Loadnewfirmware1")->trigger();
    EXPECT_EQ(rig.dialogs.messages.takeLast(),
              "The data memory re-format is still running. Wait until the instrument has "
              "reported it finished, then load the new firmware.");
    EXPECT_EQ(rig.sent(), QByteArray());

    // The wait ends, with what is known, once it has lasted three times the
    // re-format's time, ...
    const QString unknown = QStringLiteral(
        "\rWhether the data memory was erased is not known: list the tags (File > Get data "
        "from Nesmo-7) to see what it holds.");
    rig.window->dataMemory()->setReformatLimitMs(2000);
    rig.window->action("Clearallloggeddata1")->trigger();
    ASSERT_TRUE(waitUntil([&] { return !rig.dialogs.messages.isEmpty(); }, 4000));
    EXPECT_EQ(rig.dialogs.messages.takeLast(),
              "The instrument has not reported the end of the re-format within 2 seconds; the "
              "program no longer waits for it." +
                  unknown);
    EXPECT_FALSE(progress.reformatExpected());
    EXPECT_FALSE(rig.window->mainPage()->ProgressBar2()->isVisible());
    // ... at a new connection, ...
    rig.window->dataMemory()->setReformatLimitMs(DataMemory::kReformatLimitMs);
    rig.window->action("Clearallloggeddata1")->trigger();
    rig.window->mainPage()->SetConnection(true);
    EXPECT_EQ(rig.dialogs.messages.takeLast(),
              "The connection to the instrument was made anew during the re-format; the "
              "program no longer waits for its report." +
                  unknown);
    EXPECT_FALSE(progress.reformatRunning());
    // ... and when the instrument refuses it.
    rig.window->action("Clearallloggeddata1")->trigger();
    rig.window->link().deliver("V 160 OFF\r\n");
    ASSERT_TRUE(waitUntil([&] { return !rig.dialogs.messages.isEmpty(); }));
    EXPECT_EQ(rig.dialogs.messages.takeLast(),
              "The instrument refused to re-format its data memory (it answered V 160 "
              "OFF).\rMemory was not erased.");
    EXPECT_FALSE(progress.reformatRunning());
    EXPECT_TRUE(rig.dialogs.messages.isEmpty());
}

TEST(DataMemory, WithoutAnInstrumentNothingIsReportedAsDone)
{
    PageRig rig;
    rig.show();
    rig.dialogs.messages.clear();
    DataTextPage* page = rig.window->dataTextPage();
    page->TagListBox()->addItems({" 1     10", " 2     20"});
    page->TagListBox()->setCurrentRow(0);
    page->TagListBox()->item(0)->setSelected(true);
    rig.window->dataMemory()->FileDeleteTagExecute();
    rig.window->action("Clearalltags1")->trigger();
    rig.window->action("Clearallloggeddata1")->trigger();
    rig.window->action("Loadnewfirmware1")->trigger();
    EXPECT_EQ(rig.dialogs.messages,
              (QStringList{"The instrument is not connected.\rNo tag files were deleted",
                           "The instrument is not connected.\rNo tag files have been deleted",
                           "The instrument is not connected.\rData was not erased.",
                           "The instrument is not connected.\rThe firmware was not loaded."}));
    EXPECT_TRUE(rig.dialogs.asked.isEmpty());
    EXPECT_FALSE(rig.window->mainPage()->ProgressBar2()->isVisible());
    EXPECT_FALSE(rig.window->mainPage()->progress().reformatRunning());
}

}  // namespace
}  // namespace nesmo::test
