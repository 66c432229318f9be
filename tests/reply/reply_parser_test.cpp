#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "core/date_time.h"
#include "reply/recording_view.h"
#include "reply/reply_parser.h"

using namespace nesmo;
using nesmo::test::RecordingDownload;
using nesmo::test::RecordingView;

namespace {

class ParserTest : public ::testing::Test {
protected:
    ParserTest() { parser.setDiagnosticStream(&diagnostics); }

    void push(const std::string& text)
    {
        for (char c : text)
            queue.push(c);
    }
    void feed(const std::string& text)
    {
        push(text);
        parser.ParseReplies();
    }

    AppState state;
    ReplyQueue queue;
    RecordingView view;
    RecordingDownload download{&state};
    ReplyParser parser{state, queue, view, download};
    std::ostringstream diagnostics;
};

double date(int y, int m, int d)
{
    double serial = 0;
    datetime::encodeDate(y, m, d, serial);
    return serial;
}

}  // namespace

TEST_F(ParserTest, DeviceNumberFilter)
{
    state.DeviceFilterNumber = 3;
    feed("3 V 157 ON\r");
    EXPECT_TRUE(state.InstrumentRunning);
    EXPECT_FALSE(state.KeepLinePrefix);

    // A line from device 4 ends the call; the line behind it waits.
    state.InstrumentRunning = false;
    feed("4 V 157 ON\r0 V 245\r");
    EXPECT_FALSE(state.InstrumentRunning);
    EXPECT_FALSE(state.SettingsBackedUp);
    EXPECT_EQ(queue.LineCount(), 1u);
    parser.ParseReplies();
    EXPECT_TRUE(state.SettingsBackedUp);

    feed("0 V 157 ON\r");
    EXPECT_TRUE(state.InstrumentRunning);
    feed("V 157 OFF\r");
    EXPECT_TRUE(state.KeepLinePrefix);
}

TEST_F(ParserTest, RunModeAndValuesMissingAtTheLineEnd)
{
    state.InstrumentRunning = true;
    feed("V 157 OFF\r");
    EXPECT_FALSE(state.InstrumentRunning);
    state.InstrumentRunning = true;
    // Without a value the next line must stay a line of its own.
    feed("V 157\rV 245\r");
    EXPECT_FALSE(state.InstrumentRunning);
    EXPECT_TRUE(state.SettingsBackedUp);
    feed("v 157 DONE\r");
    EXPECT_TRUE(state.InstrumentRunning);
    feed("V 5 \"only one\"\rV 157 OFF\r");
    EXPECT_EQ(view.text(Control::PanelDisplayLine1), "only one");
    EXPECT_EQ(view.text(Control::PanelDisplayLine2), "");
    EXPECT_FALSE(state.InstrumentRunning);
}

TEST_F(ParserTest, FirmwareVersion)
{
    feed("V 144 \"1.28\"\r");
    EXPECT_EQ(state.FirmwareVersion, 128);
    EXPECT_TRUE(view.messages.isEmpty());
    EXPECT_EQ(view.isVisible(Control::Alarm128), false);
    EXPECT_FALSE(state.Alarm128Visible);
    EXPECT_EQ(view.isEnabled(Control::StelAlarmLevelEdit), true);
    EXPECT_FALSE(view.hasText(Control::StelAlarmLevelEdit));
    EXPECT_EQ(view.isVisible(Control::AutoStartYear), true);
    EXPECT_EQ(view.text(Control::LabelVer), "Version 1.28");
    EXPECT_EQ(view.text(Control::PanelVersionLabel), "Version 1.28");

    feed("V 144 \"1.26\"\rV 144 \"1.26\"\r");
    EXPECT_EQ(state.FirmwareVersion, 126);
    EXPECT_EQ(view.messages, QStringList{ReplyParser::kUpgradeNotice});
    EXPECT_EQ(view.isVisible(Control::Alarm128), true);
    EXPECT_TRUE(state.Alarm128Visible);
    EXPECT_EQ(view.isEnabled(Control::StelAlarmLevelEdit), false);
    EXPECT_EQ(view.text(Control::StelAlarmLevelEdit), "0.00");
    EXPECT_EQ(view.isVisible(Control::AutoStartYear), false);

    feed("V 144 \"0.29\"\r");
    EXPECT_EQ(state.FirmwareVersion, 28);
    EXPECT_EQ(view.messages.size(), 1);
    // Once the label is hidden again, an old version is announced again.
    feed("V 144 \"1.28\"\rV 144 \"1.00\"\r");
    EXPECT_EQ(view.messages.size(), 2);
}

TEST_F(ParserTest, SerialNumberAndStatusBar)
{
    state.FirmwareVersion = 128;
    view.setText(Control::PanelVersionLabel, "Version 1.28");
    feed("V 141 SERIALNUMBER \"20871\"\r");
    EXPECT_EQ(view.text(Control::PanelSerialLabel), "Serial No. 20871 ");
    EXPECT_EQ(view.isVisible(Control::PanelSerialLabel), true);
    EXPECT_EQ(view.text(Control::LabelSN), "Serial No. 20871 ");
    EXPECT_EQ(view.text(Control::StatusBarMain), "Serial No. 20871 Version 1.28");

    // Firmware before 0.67 sends one token before the keyword.
    state.FirmwareVersion = 0;
    feed("V 141 SERIALNUMBER \"1\"\rV 141 1 SERIALNUMBER \"2\"\r");
    EXPECT_EQ(view.text(Control::LabelSN), "Serial No. 2 ");
}

TEST_F(ParserTest, DisplayMemoryResetBackupAndTransfer)
{
    feed("V 5 \"PM2.5  0.012\" \"mg/m3\" 3\rV 5 12 \"x\"\r");
    EXPECT_EQ(view.text(Control::PanelDisplayLine1), "PM2.5  0.012");
    EXPECT_EQ(view.text(Control::PanelDisplayLine2), "mg/m3");

    feed("V 160 OFF\rV 160 17\r");
    EXPECT_EQ(view.reformatEnded, 0);
    EXPECT_EQ(view.reformatRefusals, 1);
    feed("V 160 ON\r");
    EXPECT_EQ(view.reformatEnded, 1);
    EXPECT_EQ(view.messages, QStringList{ReplyParser::kMemoryReset});

    feed("V 246 ON\r");
    EXPECT_TRUE(state.SettingsRestored);
    feed("V 251 OFF\r");
    EXPECT_EQ(state.TransferStatus, 1);
    feed("V 252 1 2 3 99\r");
    EXPECT_EQ(state.TransferStatus, 2);
    feed("V 252 1 2 3 4\r");
    EXPECT_EQ(state.TransferStatus, 3);
    feed("V 252 1 2 3\rV 252 1 2 3 9.9\r");
    EXPECT_EQ(state.TransferStatus, 3);
}

TEST_F(ParserTest, UnknownVariableGoesToDiagnostics)
{
    feed("V 999\rV 236 1 2 3 4 5 2021\rV ON\rV \"x\"\r");
    EXPECT_EQ(diagnostics.str(), "V 999 ?\nV 7 ?\n");
}

TEST_F(ParserTest, MoreThan256LinesAtOnce)
{
    std::string lines;
    for (int i = 0; i < 300; ++i)
        lines += "V 1000\r";
    feed(lines + "V 157 ON\r");
    EXPECT_TRUE(state.InstrumentRunning);
    EXPECT_EQ(queue.LineCount(), 0u);
    EXPECT_EQ(diagnostics.str().size(), 300 * std::string("V 1000 ?\n").size());
}

TEST_F(ParserTest, EndlessLineIsCappedAndLaterLinesStillParse)
{
    feed(std::string(200000, 'x') + "V 157 ON");  // no line yet: nothing happens
    EXPECT_FALSE(state.InstrumentRunning);
    EXPECT_LE(queue.size(), ReplyQueue::kMaxUnfinishedLine);
    feed("\rV 157 ON\r");
    EXPECT_TRUE(state.InstrumentRunning);
    EXPECT_EQ(queue.size(), 0);
}

TEST_F(ParserTest, DownloadHeaders)
{
    feed("\"Model Number\", \"Nesmo-7   \"\r");
    EXPECT_EQ(download.starts, 1);
    EXPECT_TRUE(state.Downloading);
    EXPECT_EQ(view.dataTextCleared, 1);
    EXPECT_EQ(view.dataTextPageShown, 1);
    EXPECT_TRUE(state.KeepLinePrefix);

    feed("\"Tag Number  \", 7\r\"Number      \", 6\r\"Tag Number\", 9\r");
    EXPECT_EQ(state.CurrentFileName, "UNT00007.txt");
    EXPECT_EQ(view.dataStatus[0], "UNT00007.txt");
    EXPECT_EQ(state.RecordCount, 6);
    EXPECT_EQ(state.RecordsLeft, 6);
    EXPECT_EQ(view.dataStatus[1], "6");
    EXPECT_EQ(view.progressMaximum, 23);

    feed(
        "\"Log Period  \", 00:00:30\r\"Start Time  \", 23:58:30\r"
        "\"Start Date  \", 04-Jul-2023\r");
    EXPECT_DOUBLE_EQ(state.RecordPeriod, 30.0 / 86400);
    EXPECT_DOUBLE_EQ(state.RecordTime, date(2023, 7, 4) + datetime::encodeTime(23, 58, 30));
    EXPECT_EQ(download.ends, 0);  // header and record lines do not end it

    state.DeviceFilterNumber = 3;
    feed("3 \"Tag Number  \", 12\r");
    EXPECT_EQ(state.CurrentFileName, "UNT00312.txt");
    EXPECT_TRUE(state.KeepLinePrefix);  // decided by the line that started the download
}

TEST_F(ParserTest, StartDateMonthCaseAndInvalidFields)
{
    feed("\"Start Time  \", 00:00:00\r\"Start Date  \", 09-Jun-2021\r");
    EXPECT_DOUBLE_EQ(state.RecordTime, date(2021, 6, 9));
    feed("\"Start Time  \", 00:00:00\r\"Start Date  \", 09-JUN-2021\r");
    EXPECT_DOUBLE_EQ(state.RecordTime, date(2021, 7, 9));

    // An unreadable time starts at midnight, so the date still lands on its day.
    feed("\"Start Time  \", 25:00:00\r\"Start Date  \", 01-Jan-2000\r");
    EXPECT_DOUBLE_EQ(state.RecordTime, date(2000, 1, 1));
}

TEST_F(ParserTest, KeywordLineEndsDownloadBeforeItsHandler)
{
    int endsSeenByHandler = -1;
    int value = 0;
    parser.setKeywordHandler(53, [&](Lexer& lx) {
        endsSeenByHandler = download.ends;
        EXPECT_EQ(lx.TokenValue, 53);
        if (lx.Advance() == TokInteger) value = lx.TokenValue;
    });
    feed("\"Model Number\"\r    1, 0.08\r");
    EXPECT_TRUE(state.Downloading);
    feed("TAG 9 ON extra\rV 245\r");
    EXPECT_EQ(endsSeenByHandler, 1);
    EXPECT_EQ(value, 9);
    EXPECT_FALSE(state.Downloading);
    EXPECT_TRUE(state.SettingsBackedUp);  // the handler's leftovers were skipped
}
