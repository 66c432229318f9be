// The instrument's command interpreter, without any link: command in, reply out.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "sim/instrument.h"
#include "sim_test_util.h"

namespace nesmo::sim {
namespace {

using test::printable;
using test::sample;

class InstrumentTest : public ::testing::Test {
protected:
    std::unique_ptr<Instrument> make(InstrumentSetup setup = {})
    {
        return std::make_unique<Instrument>(setup, [this] { return host; });
    }
    // The reply to a command, as text for readable comparisons.
    std::string ask(Instrument& in, const QByteArray& command)
    {
        return printable(in.execute(command));
    }

    // The computer's clock, a little past a full second.
    QDateTime host{QDate(2024, 3, 3), QTime(7, 5, 9, 700), Qt::UTC};
};

TEST_F(InstrumentTest, DumpOfTag9IsTheSampleByteForByte)
{
    auto plain = make();
    EXPECT_EQ(printable(plain->execute("tagdump  9 ")), printable(sample("dump-tag9.reply.bin")));

    InstrumentSetup onBus;
    onBus.device = 3;
    auto numbered = make(onBus);
    EXPECT_EQ(printable(numbered->execute("tagdump  9 ")),
              printable(sample("dump-tag9-device3.reply.bin")));
}

TEST_F(InstrumentTest, FramingOfRepliesAndRefusals)
{
    InstrumentSetup setup;
    setup.device = 12;
    auto in = make(setup);
    // Every line carries the device number, the prompt does not.
    EXPECT_EQ(ask(*in, "tags"), "12 TAGS 1 2 3 4 9\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "frobnicate"), "12 HUH?\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "v 999"), "12 HUH?\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "v"), "12 HUH?\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "key SIDEWAYS"), "12 HUH?\\x0D\\x0A>");
    // Commands without a reply line answer the prompt alone; a blank line nothing.
    EXPECT_EQ(ask(*in, "d"), ">");
    EXPECT_EQ(ask(*in, "g"), ">");
    EXPECT_EQ(ask(*in, "key UP"), ">");
    EXPECT_EQ(ask(*in, "   "), "");

    setup.noPrompt = true;
    auto mute = make(setup);
    EXPECT_EQ(ask(*mute, "v 144"), "12 V 144 \"1.28\"\\x0D\\x0A");
}

TEST_F(InstrumentTest, VariablesAndTheirCaseAndBlanks)
{
    InstrumentSetup setup;
    setup.serial = "31337";
    setup.firmware = "1.26";
    setup.running = true;
    auto in = make(setup);
    EXPECT_EQ(ask(*in, "v 144 "), "V 144 \"1.26\"\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "V 141"), "V 141 SERIALNUMBER \"31337\"\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "v 141"), "V 141 SERIALNUMBER \"31337\"\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "v 157"), "V 157 ON\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "v 236"), "V 236 9 5 7 3 3 2024\\x0D\\x0A>");
    // Backup and restore need firmware 1.30.
    EXPECT_EQ(ask(*in, "v 245"), "HUH?\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "v 246"), "HUH?\\x0D\\x0A>");

    // Old firmware puts one more token before the keyword.
    setup.firmware = "0.66";
    EXPECT_EQ(ask(*make(setup), "V 141"), "V 141 0 SERIALNUMBER \"31337\"\\x0D\\x0A>");
    setup.firmware = "0.67";
    EXPECT_EQ(ask(*make(setup), "V 141"), "V 141 SERIALNUMBER \"31337\"\\x0D\\x0A>");
}

TEST_F(InstrumentTest, SettingsReadBackWhatWasWritten)
{
    auto in = make();
    const struct {
        const char* write;
        const char* read;
        const char* reply;
    } cases[] = {
        {"logperiod 90", "logperiod", "LOGPERIOD 90"},
        {"tag 5 off", "tag ", "TAG 5 OFF"},
        {"tag  7      40", "tag", "TAG 7 OFF"},  // a tag list entry with its count
        {"tag 7 on", "tag", "TAG 7 ON"},
        {"displayavg 30", "displayavg", "DISPLAYAVG 30"},
        {"units 1", "units", "UNITS 1"},
        {"analogout 5", "analogout", "ANALOGOUT 5"},
        {"flowrate  1.20", "flowrate", "FLOWRATE 1.20"},
        {"flowrate  4.00", "flowrate", "FLOWRATE 3.50"},  // the pump's limit
        {"inlet 2", "inlet", "INLET 2"},
        {"rhcorrect off", "rhcorrect", "RHCORRECT OFF"},
        {"backlight OFF", "backlight", "BACKLIGHT OFF"},
        {"calfactor 1.25", "calfactor", "CALFACTOR 1.250"},
        {"tempunits f", "tempunits", "TEMPUNITS F"},
    };
    for (const auto& c : cases) {
        const std::string expected = std::string(c.reply) + "\\x0D\\x0A>";
        EXPECT_EQ(ask(*in, c.write), expected) << c.write;
        EXPECT_EQ(ask(*in, c.read), expected) << c.read;
    }
    // Values out of range are refused and change nothing.
    for (const char* bad : {"logperiod 0", "logperiod 3601", "tag 100", "units 4", "analogout 6",
                            "inlet 3", "backlight maybe", "displayavg 61"})
        EXPECT_EQ(ask(*in, bad), "HUH?\\x0D\\x0A>") << bad;
    EXPECT_EQ(ask(*in, "logperiod"), "LOGPERIOD 90\\x0D\\x0A>");
    // A units change keeps the analog range within the new list.
    EXPECT_EQ(ask(*in, "units 3"), "UNITS 3\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "analogout"), "ANALOGOUT 1\\x0D\\x0A>");
}

TEST_F(InstrumentTest, AlarmModesAndLevels)
{
    auto in = make();
    EXPECT_EQ(ask(*in, "alarm"), "ALARM OFF 1.500\\x0D\\x0A>");
    // The program's writes, by the mode chosen (firmware 1.28 and later).
    ask(*in, "alarm 2");
    EXPECT_EQ(ask(*in, "alarm 1     2.250"), "ALARM INSTANT 2.250\\x0D\\x0A>");
    ask(*in, "alarm 1");
    EXPECT_EQ(ask(*in, "alarm 2     0.125"), "ALARM STEL 0.125\\x0D\\x0A>");
    // The program's read asks both levels, then restores the mode it found.
    EXPECT_EQ(ask(*in, "alarm 1"), "ALARM INSTANT 2.250\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "alarm 2"), "ALARM STEL 0.125\\x0D\\x0A>");
    ask(*in, "alarm 1");
    ask(*in, "alarm 2");
    EXPECT_EQ(ask(*in, "alarm 0"), "ALARM OFF 2.250\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "alarm 3"), "HUH?\\x0D\\x0A>");

    // Firmware before 1.28 knows on and off only.
    InstrumentSetup old;
    old.firmware = "1.26";
    auto legacy = make(old);
    EXPECT_EQ(ask(*legacy, "alarm on     1.500"), "ALARM ON 1.500\\x0D\\x0A>");
    EXPECT_EQ(ask(*legacy, "alarm 2"), "HUH?\\x0D\\x0A>");
    EXPECT_EQ(ask(*legacy, "alarm off"), "ALARM OFF 1.500\\x0D\\x0A>");
}

TEST_F(InstrumentTest, SitesAreSelectedDefinedAndRefactored)
{
    auto in = make();
    EXPECT_EQ(ask(*in, "site"), "SITE 1 \"Factory default\" 1.000\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "site 3"), "SITE 3 \"Grinding shop\" 0.950\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "site"), "SITE 3 \"Grinding shop\" 0.950\\x0D\\x0A>");
    // A line of the program's site list, sent after two blanks.
    EXPECT_EQ(ask(*in, "site  4 \"Weld bay. north\" 1.250"),
              "SITE 4 \"Weld bay. north\" 1.250\\x0D\\x0A>");
    // "site n 0 [factor]": select, and set the factor when one is given.
    EXPECT_EQ(ask(*in, "site 4 0  "), "SITE 4 \"Weld bay. north\" 1.250\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "site 4 0   2.000"), "SITE 4 \"Weld bay. north\" 2.000\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "calfactor"), "CALFACTOR 2.000\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "site 1 \"Factory default\" 1."),
              "SITE 1 \"Factory default\" 1.000\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "site  "), "SITE 1 \"Factory default\" 1.000\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "site 50"), "SITE 50 \"Site 50\" 1.000\\x0D\\x0A>");
    for (const char* bad : {"site 0", "site 51", "site x", "site 5 \"Name\" heavy"})
        EXPECT_EQ(ask(*in, bad), "HUH?\\x0D\\x0A>") << bad;
}

TEST_F(InstrumentTest, ClockSettingAndRunning)
{
    auto in = make();
    EXPECT_EQ(ask(*in, "time "), "TIME 9 5 7\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "date "), "DATE 3 3 2024\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "time 50 59 23"), "TIME 50 59 23\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "date 28 2 2023"), "DATE 28 2 2023\\x0D\\x0A>");
    // The set clock runs on with the computer's, across midnight.
    host = host.addSecs(15);
    EXPECT_EQ(ask(*in, "v 236"), "V 236 5 0 0 1 3 2023\\x0D\\x0A>");
    for (const char* bad :
         {"date 29 2 2023", "date 31 4 2024", "time 0 60 0", "time 0 0 24", "time 1 2"})
        EXPECT_EQ(ask(*in, bad), "HUH?\\x0D\\x0A>") << bad;
}

TEST_F(InstrumentTest, AutoStartIsStoredCheckedAndFires)
{
    auto in = make();
    // The program sends the year with two digits; old firmware sends none.
    EXPECT_EQ(ask(*in, "autostart 30 08 01 7 25 on"), "AUTOSTART 30 8 1 7 2025 ON\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "autostart 15 09 02 8 off"), "AUTOSTART 15 9 2 8 2025 OFF\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "autostart 0 8 31 4 24 on"), "HUH?\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "autostart 0 8 29 2 24 on"), "AUTOSTART 0 8 29 2 2024 ON\\x0D\\x0A>");

    ask(*in, "autostart 6 7 3 3 24 on");
    in->tick();
    EXPECT_FALSE(in->running());
    host = host.addSecs(51);  // 07:06:00
    in->tick();
    EXPECT_TRUE(in->running());
    EXPECT_EQ(ask(*in, "autostart"), "AUTOSTART 6 7 3 3 2024 OFF\\x0D\\x0A>");
}

TEST_F(InstrumentTest, TagListsAgreeWithTheDumps)
{
    InstrumentSetup setup;
    setup.tags = {{12, 7, 5}, {1, 2, 60}};  // adds 12, replaces 1
    auto in = make(setup);
    EXPECT_EQ(ask(*in, "tags"), "TAGS 1 2 3 4 9 12\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "tags "), "TAGS 1 2 3 4 9 12\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "tags 1"), "TAGS ON 2 0 1 3000 6 7\\x0D\\x0A>");

    const QByteArray dump = in->execute("tagdump 12 ");
    EXPECT_TRUE(
        dump.contains("\"Tag Number  \", 12\r\n\"Number      \", 7\r\n"
                      "\"Log Period  \", 00:00:05\r\n"));
    EXPECT_TRUE(dump.contains("\r\n    7\xDF"));
    EXPECT_FALSE(dump.contains("\r\n    8\xDF"));
    EXPECT_TRUE(dump.endsWith("\r\n>"));

    // An empty tag dumps its headers and no record; a missing tag answers the prompt alone.
    const QByteArray empty = in->execute("tagdump  2 ");
    EXPECT_TRUE(empty.contains("\"Number      \", 0\r\n"));
    EXPECT_TRUE(empty.endsWith("record, concentration, temperature, RH, pressure\r\n>"));
    EXPECT_EQ(ask(*in, "tagdump 77 "), ">");
    EXPECT_EQ(ask(*in, "tagdump"), "HUH?\\x0D\\x0A>");

    // "tag n" makes n current, "v 147" deletes the current tag.
    ask(*in, "tag  4   3000");
    EXPECT_EQ(ask(*in, "v 147"), ">");
    EXPECT_EQ(ask(*in, "tags"), "TAGS 1 2 3 9 12\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "tagdump  4 "), ">");

    setup.builtInTags = false;
    setup.tags.clear();
    EXPECT_EQ(ask(*make(setup), "tags"), "TAGS\\x0D\\x0A>");
}

TEST_F(InstrumentTest, RecordLinesBeginWithABlankBeyond9999)
{
    InstrumentSetup setup;
    setup.builtInTags = false;
    setup.tags = {{20, 10001, 1}};
    auto in = make(setup);
    const QByteArray dump = in->execute("tagdump 20 ");
    EXPECT_TRUE(dump.contains("\r\n 9999\xDF"));
    EXPECT_TRUE(dump.contains("\r\n 10000\xDF"));
    EXPECT_TRUE(dump.contains("\r\n 10001\xDF"));
    EXPECT_EQ(dump.size(), in->execute("tagdump 20 ").size());  // generated the same each time
}

TEST_F(InstrumentTest, GeneratedRecordsArePlausible)
{
    const Tag t = generatedTag(4, 3000, 10);
    ASSERT_EQ(t.records.size(), 3000u);
    double peak = 0;
    for (const Record& r : t.records) {
        const int temperature = qint16(r.data[4] | r.data[5] << 8);
        const int mmHg = (r.data[7] + 200) * 2;
        EXPECT_GT(r.concentration(), 0.0f);
        EXPECT_GE(temperature, 100);
        EXPECT_LE(temperature, 300);
        EXPECT_LE(r.data[6], 100);
        EXPECT_GE(mmHg, 740);
        EXPECT_LE(mmHg, 770);
        peak = std::max(peak, double(r.concentration()));
    }
    EXPECT_GT(peak, 0.3);  // over eight hours there is at least one peak
}

TEST_F(InstrumentTest, TrickyRecordsAndTheCutDump)
{
    InstrumentSetup setup;
    setup.trickyTags = {{30, 5}};
    setup.cutDump = true;
    auto in = make(setup);
    const QByteArray dump = in->execute("tagdump 30 ");
    const int records = int(dump.indexOf("record, concentration"));
    ASSERT_GT(records, 0);
    const QByteArray body = dump.mid(records);
    for (char c : {'\r', '\n', '"', '>', '\xDF'}) {
        // Each tricky byte also stands inside the binary records, not only at line ends.
        int inside = 0;
        for (int i = body.indexOf('\xDF'); i >= 0; i = body.indexOf('\xDF', i + 10))
            inside += body.mid(i + 1, 9).count(c);
        EXPECT_GT(inside, 0) << int(c);
    }
    // The cut dump announces five records, sends four and no prompt.
    EXPECT_TRUE(dump.contains("\"Number      \", 5\r\n"));
    EXPECT_TRUE(dump.contains("\r\n    4\xDF"));
    EXPECT_FALSE(dump.contains("\r\n    5\xDF"));
    EXPECT_TRUE(dump.endsWith("\r\n"));
}

TEST_F(InstrumentTest, KeysDriveTheDisplayAndTheRun)
{
    auto in = make();
    EXPECT_EQ(in->execute("v 5").left(7), "V 5 \"  ");
    EXPECT_TRUE(in->execute("v 5").contains("\" \"STBY    07:05:09\" 0\r\n>"));

    // Menu: ENTER opens it, DOWN moves, ENTER edits, UP changes, ENTER stores.
    ask(*in, "key ENTER");
    EXPECT_EQ(ask(*in, "v 5"), "V 5 \"> Start run     \" \"  Log period    \" 0\\x0D\\x0A>");
    ask(*in, "key DOWN");
    ask(*in, "key enter");
    ask(*in, "key UP");
    EXPECT_EQ(ask(*in, "v 5"), "V 5 \"Log period      \" \"  00:02:00      \" 0\\x0D\\x0A>");
    ask(*in, "key ENTER");
    EXPECT_EQ(ask(*in, "logperiod"), "LOGPERIOD 120\\x0D\\x0A>");
    // ESC leaves an edit without storing it.
    ask(*in, "key ENTER");
    ask(*in, "key DOWN");
    ask(*in, "key ESC");
    EXPECT_EQ(ask(*in, "logperiod"), "LOGPERIOD 120\\x0D\\x0A>");
    ask(*in, "key ESC");

    // ON/OFF starts a run that logs into the current tag, afresh.
    ask(*in, "key ONOFF");
    EXPECT_EQ(ask(*in, "v 157"), "V 157 ON\\x0D\\x0A>");
    EXPECT_TRUE(in->execute("v 5").contains("\"RUN T03 07:05:09\""));
    host = host.addSecs(3 * 120 + 5);
    in->tick();
    EXPECT_EQ(ask(*in, "tags 1"), "TAGS ON 100 0 3 3000 6\\x0D\\x0A>");
    const QByteArray dump = in->execute("tagdump  3 ");
    EXPECT_TRUE(
        dump.contains("\"Log Period  \", 00:02:00\r\n\"Start Time  \", 07:05:09\r\n"
                      "\"Start Date  \", 03-Mar-2024\r\n"));
    // The tag being logged cannot be deleted.
    ask(*in, "v 147");
    EXPECT_EQ(ask(*in, "tags"), "TAGS 1 2 3 4 9\\x0D\\x0A>");

    // The program stops a run with ESC, then ENTER.
    for (const char* c : {"key esc", "v 157", "key enter"})
        in->execute(c);
    EXPECT_EQ(ask(*in, "v 157"), "V 157 OFF\\x0D\\x0A>");
    ask(*in, "key esc");
    EXPECT_TRUE(in->execute("v 5").contains("\"STBY    07:11:14\""));
}

TEST_F(InstrumentTest, ReformatReportsUnaskedWhenDone)
{
    InstrumentSetup setup;
    setup.reformatSeconds = 100;
    auto in = make(setup);
    ask(*in, "site 2 0   1.500");
    EXPECT_EQ(ask(*in, "v 160"), ">");
    host = host.addSecs(99);
    EXPECT_EQ(printable(in->tick()), "");
    host = host.addSecs(1);
    EXPECT_EQ(printable(in->tick()), "V 160 ON\\x0D\\x0A>");
    EXPECT_EQ(printable(in->tick()), "");
    EXPECT_EQ(ask(*in, "tags"), "TAGS\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "site"), "SITE 1 \"Factory default\" 1.000\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "site 2"), "SITE 2 \"Site 2\" 1.000\\x0D\\x0A>");

    setup.running = true;
    EXPECT_EQ(ask(*make(setup), "v 160"), "V 160 OFF\\x0D\\x0A>");

    // A re-format that hangs: accepted, never done.
    setup.running = false;
    setup.reformatNever = true;
    auto hung = make(setup);
    EXPECT_EQ(ask(*hung, "v 160"), ">");
    for (int hours = 0; hours < 48; ++hours, host = host.addSecs(3600))
        EXPECT_EQ(printable(hung->tick()), "") << hours;
}

TEST_F(InstrumentTest, BackupAndRestoreOfSettings)
{
    // Both came with firmware 1.30; 99.26 lacks the restore.
    const struct {
        const char* firmware;
        const char* backup;
        const char* restore;
        int logPeriod;  // after the restore
    } cases[] = {{"1.29", "HUH?", "HUH?", 45},
                 {"1.30", "V 245", "V 246 ON", 15},
                 {"99.26", "V 245", "HUH?", 45}};
    for (const auto& c : cases) {
        InstrumentSetup setup;
        setup.firmware = c.firmware;
        auto in = make(setup);
        ask(*in, "logperiod 15");
        EXPECT_EQ(in->execute("v 245"), QByteArray(c.backup) + "\r\n>") << c.firmware;
        ask(*in, "logperiod 45");
        EXPECT_EQ(in->execute("v 246"), QByteArray(c.restore) + "\r\n>") << c.firmware;
        EXPECT_EQ(in->settings().logPeriod, c.logPeriod) << c.firmware;
    }
    // Nothing backed up, nothing restored.
    InstrumentSetup setup;
    setup.firmware = "1.30";
    EXPECT_EQ(ask(*make(setup), "v 246"), "V 246 OFF\\x0D\\x0A>");
}

TEST_F(InstrumentTest, StickyRunResistsTheKeys)
{
    const QList<QByteArray> ways[] = {{"key esc", "key enter"}, {"key onoff"}};
    for (const bool sticky : {false, true}) {
        for (const QList<QByteArray>& way : ways) {
            InstrumentSetup setup;
            setup.running = true;
            setup.stickyRun = sticky;
            auto in = make(setup);
            // As the program tries: up to 20 times, until the run has stopped.
            for (int attempt = 0; attempt < 20 && in->running(); ++attempt)
                for (const QByteArray& command : way)
                    in->execute(command);
            EXPECT_EQ(in->running(), sticky) << way.join(", ").toStdString();
        }
    }
}

// An Intel HEX record, sent as the program sends it: two quoted halves of
// which the first holds the colon and whole pairs of hex digits.
QByteArray recordCommand(int address, int type, const QByteArray& data)
{
    QByteArray bytes;
    bytes.append(char(data.size())).append(char(address >> 8)).append(char(address & 0xFF));
    bytes.append(char(type)).append(data);
    int sum = 0;
    for (char b : bytes)
        sum += quint8(b);
    bytes.append(char(-sum & 0xFF));
    const QByteArray line = ":" + bytes.toHex().toUpper();
    int h = int(line.size()) / 2;
    if (h % 2 == 0) ++h;
    return "v 251 \"" + line.left(h) + "\" \"" + line.mid(h) + "\"";
}

// A whole image of firmware major.minor: the version record, one data record, the end record.
QList<QByteArray> image(int major, int minor)
{
    return {recordCommand(0x1000, 0, QByteArray(1, char(minor)) + char(major) + QByteArray(14, 0)),
            recordCommand(0x1010, 0, "\xDE\xAD\xBE\xEF"), recordCommand(0, 1, {})};
}

TEST_F(InstrumentTest, FirmwareRecordsAndIntegrityTest)
{
    InstrumentSetup setup;
    setup.refuseSends = 1;
    auto in = make(setup);
    // The version record of 1.30: minor 0x1E, major 0x01, at address 1000.
    const QByteArray version =
        recordCommand(0x1000, 0, QByteArray("\x1E\x01", 2) + QByteArray(14, 0));
    const QByteArray data = recordCommand(0x1010, 0, "\xDE\xAD\xBE\xEF");
    QByteArray corrupt = data;
    corrupt[corrupt.size() - 2] = corrupt[corrupt.size() - 2] == '0' ? '1' : '0';
    const QByteArray end = recordCommand(0, 1, {});
    EXPECT_EQ(end, "v 251 \":0000\" \"0001FF\"");

    EXPECT_EQ(ask(*in, version), "V 251 OFF\\x0D\\x0A>");  // refused once on purpose
    EXPECT_EQ(ask(*in, version), "V 251 ON\\x0D\\x0A>");
    // A bad checksum is refused however often it comes.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ask(*in, corrupt), "V 251 OFF\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, data), "V 251 OFF\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, data), "V 251 ON\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, end), "V 251 OFF\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, end), "V 251 ON\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "v 252  1"), "V 252 ON\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "v 252"), "V 252 3 6 1 99\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "v 144"), "V 144 \"1.30\"\\x0D\\x0A>");

    // A transfer without its end record fails the test.
    ask(*in, version);
    ask(*in, version);
    ask(*in, "v 252  1");
    EXPECT_EQ(ask(*in, "v 252"), "V 252 1 1 0 1\\x0D\\x0A>");
}

TEST_F(InstrumentTest, IntegrityOutcomes)
{
    // The replies to four "v 252": Busy, Passed or Failed.
    const std::map<char, QByteArray> reply = {
        {'B', "V 252 BUSY\r\n>"}, {'P', "V 252 3 0 1 99\r\n>"}, {'F', "V 252 3 0 1 1\r\n>"}};
    const struct {
        IntegrityBehaviour integrity;
        const char* replies;
    } cases[] = {{{}, "PPPP"},
                 {{IntegrityBehaviour::Fail, 0}, "FFFF"},
                 {{IntegrityBehaviour::Never, 0}, "BBBB"},
                 {{IntegrityBehaviour::Pass, 2}, "BBPP"}};
    for (const auto& c : cases) {
        InstrumentSetup setup;
        setup.integrity = c.integrity;
        auto in = make(setup);
        ask(*in, "logperiod 15");
        for (const QByteArray& record : image(1, 30))
            in->execute(record);
        in->execute("v 252 1");
        // The new firmware, with factory settings, comes with the first passed result.
        for (const char* r = c.replies; *r; ++r) {
            EXPECT_EQ(in->execute("v 252"), reply.at(*r)) << c.replies;
            EXPECT_EQ(in->firmware(), *r == 'P' ? "1.30" : "1.28") << c.replies;
            EXPECT_EQ(in->settings().logPeriod, *r == 'P' ? 60 : 15) << c.replies;
        }
    }
}

TEST_F(InstrumentTest, OnlyTheBootLoaderAnswersUntilAWholeImageHasPassed)
{
    auto in = make({});
    const QList<QByteArray> records = image(1, 30);
    // A record erases the program; an image without data fails its test.
    EXPECT_EQ(ask(*in, records.last()), "V 251 ON\\x0D\\x0A>");
    in->execute("v 252 1");
    EXPECT_EQ(ask(*in, "v 252"), "V 252 1 0 1 1\\x0D\\x0A>");
    EXPECT_TRUE(in->loaderOnly());
    for (const char* other : {"v 144", "v 141", "logperiod", "tags", "site 3"})
        EXPECT_EQ(ask(*in, other), "HUH?\\x0D\\x0A>") << other;
    EXPECT_EQ(ask(*in, "v 157"), "V 157 OFF\\x0D\\x0A>");
    EXPECT_EQ(ask(*in, "key enter"), ">");
    // A transfer cut after two records and sent again from its beginning passes.
    in->execute(records[0]);
    in->execute(records[1]);
    for (const QByteArray& record : records)
        in->execute(record);
    in->execute("v 252 1");
    EXPECT_EQ(ask(*in, "v 252"), "V 252 3 0 1 99\\x0D\\x0A>");
    EXPECT_FALSE(in->loaderOnly());
    EXPECT_EQ(ask(*in, "v 144"), "V 144 \"1.30\"\\x0D\\x0A>");
}

TEST_F(InstrumentTest, UpgradeResetsSettingsOnceAndKeepsTheBackup)
{
    InstrumentSetup setup;
    setup.firmware = "1.30";
    auto in = make(setup);
    ask(*in, "logperiod 15");
    ask(*in, "v 245");
    for (const QByteArray& record : image(1, 32))
        in->execute(record);
    in->execute("v 252 1");
    EXPECT_EQ(ask(*in, "v 252"), "V 252 3 0 1 99\\x0D\\x0A>");
    // What the operator sets after the upgrade survives a repeated report and test.
    ask(*in, "logperiod 30");
    for (const char* again : {"v 252", "v 252 1", "v 252"})
        in->execute(again);
    EXPECT_EQ(in->settings().logPeriod, 30);
    EXPECT_EQ(ask(*in, "v 246"), "V 246 ON\\x0D\\x0A>");
    EXPECT_EQ(in->settings().logPeriod, 15);
}

TEST_F(InstrumentTest, RecordsAreRefusedWhileRunning)
{
    InstrumentSetup setup;
    setup.running = true;
    auto in = make(setup);
    const QByteArray end = image(1, 30).last();
    EXPECT_EQ(ask(*in, end), "V 251 OFF\\x0D\\x0A>");
    in->execute("v 252 1");
    EXPECT_EQ(ask(*in, "v 252"), "V 252 0 0 0 1\\x0D\\x0A>");  // nothing accepted
    in->execute("key onoff");
    EXPECT_EQ(ask(*in, end), "V 251 ON\\x0D\\x0A>");
}

}  // namespace
}  // namespace nesmo::sim
