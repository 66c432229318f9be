#include <gtest/gtest.h>

#include "config/locale_text.h"
#include "config/qstring_print.h"

#include <QLocale>

#include "config/clock_rules.h"
#include "config/cut_point.h"
#include "config/write_rules.h"
#include "core/number_pattern.h"
#include "link/command_format.h"
#include "link/commands.h"

using namespace nesmo;
using namespace nesmo::config;
using nesmo::test::loc;

namespace {

QString twoDecimals(std::optional<double> v)
{
    return v ? pattern::formatNumber("#0.00", *v, u'.') : QStringLiteral("none");
}

}  // namespace

TEST(CutPoint, PolynomialsOfBothCyclones)
{
    EXPECT_EQ(twoDecimals(cutPointFromFlow(InletRedCyclone, 1.20)), "9.90");
    EXPECT_EQ(twoDecimals(cutPointFromFlow(InletBlueCyclone, 1.52)), "2.50");
    EXPECT_EQ(twoDecimals(cutPointFromFlow(InletRedCyclone, 3.50)), "2.92");
    EXPECT_EQ(twoDecimals(cutPointFromFlow(InletBlueCyclone, 1.00)), "3.99");
    EXPECT_EQ(twoDecimals(flowFromCutPoint(InletBlueCyclone, 2.5)), "1.52");
    // The red cyclone's replacement cut point and back.
    EXPECT_EQ(twoDecimals(flowFromCutPoint(InletRedCyclone, 10.0)), "1.19");
    EXPECT_EQ(twoDecimals(cutPointFromFlow(InletRedCyclone, 1.19)), "10.00");
    // Nothing outside the ranges or without a cyclone.
    EXPECT_FALSE(cutPointFromFlow(InletRedCyclone, 3.51));
    EXPECT_FALSE(cutPointFromFlow(InletBlueCyclone, 0.99));
    EXPECT_FALSE(cutPointFromFlow(InletTotal, 2.0));
    EXPECT_FALSE(cutPointFromFlow(-1, 2.0));
    EXPECT_FALSE(flowFromCutPoint(InletRedCyclone, 12.11));
    EXPECT_TRUE(flowFromCutPoint(InletRedCyclone, 0.98));
}

TEST(CutPoint, LimitsReplacementsAndMessages)
{
    EXPECT_EQ(flowRateReplacement(3.51), loc("3.50"));
    EXPECT_EQ(flowRateReplacement(0.5), loc("1.00"));
    EXPECT_FALSE(flowRateReplacement(3.5f));
    EXPECT_FALSE(flowRateReplacement(1.0f));
    EXPECT_EQ(cutPointReplacement(InletRedCyclone, 12.5), 10.0);
    EXPECT_EQ(cutPointReplacement(InletRedCyclone, 2.90), 10.0);
    EXPECT_FALSE(cutPointReplacement(InletRedCyclone, 12.19));
    EXPECT_EQ(cutPointReplacement(InletBlueCyclone, 4.01), 2.5);
    EXPECT_FALSE(cutPointReplacement(InletBlueCyclone, 0.99));
    EXPECT_FALSE(cutPointReplacement(InletTotal, 50));
    EXPECT_EQ(cutPointNotAvailableMessage(InletRedCyclone, 12.5),
              loc("Cut Point 12.50 um is not available with the RED CYCLONE"));
    EXPECT_EQ(cutPointNotAvailableMessage(InletBlueCyclone, 0.5),
              loc("Cut Point 0.50 um is not available with the BLUE CYCLONE"));
    EXPECT_EQ(flowRateOutOfRangeMessage("4", "3.50"),
              "Flow rate 4 is out of range \r\r Automatically entering 3.50 LPM");
}

TEST(ClockRules, DayNumber)
{
    EXPECT_EQ(DayNumber(2024, 3, 3, 0, 0, 0), 45354);
    EXPECT_EQ(DayNumber(2024, 2, 29, 12, 0, 0), 45351.5);
    EXPECT_EQ(DayNumber(1900, 3, 1, 0, 0, 0), 61);
    EXPECT_EQ(DayNumber(2023, 12, 31, 0, 0, 0), 45291);
    EXPECT_EQ(DayNumber(2024, 1, 1, 0, 0, 0), 45292);
    EXPECT_EQ(DayNumber(2099, 12, 31, 0, 0, 0), 73050);
}

TEST(ClockRules, LoggingPeriod)
{
    struct Case {
        const char *h, *m, *s;
        bool valid;
        const char* replacement;  // h:m:s
    } cases[] = {
        {"00", "00", "00", false, "00:01:00"}, {"01", "00", "00", true, ""},
        {"01", "00", "01", false, "01:00:00"}, {"02", "00", "00", false, "01:00:00"},
        {"00", "60", "00", false, "00:01:00"}, {"00", "00", "01", true, ""},
        {"00", "x", "30", false, "00:01:00"},  {"59", "59", "59", false, "01:00:00"},
    };
    for (const Case& c : cases) {
        const LogPeriodCheck r = checkLogPeriod(c.h, c.m, c.s);
        EXPECT_EQ(r.valid, c.valid) << c.h << ":" << c.m << ":" << c.s;
        if (!c.valid) {
            EXPECT_EQ(r.hours + ":" + r.minutes + ":" + r.seconds, c.replacement);
        }
    }
}

TEST(ClockRules, ManualClock)
{
    const int feb = 1, mar = 2, apr = 3;
    EXPECT_FALSE(manualClockValid("24", "00", "00", "2024", mar, "01"));
    EXPECT_FALSE(manualClockValid("12", "00", "00", "2023", feb, "29"));
    EXPECT_FALSE(manualClockValid("12", "00", "00", "1899", mar, "01"));
    EXPECT_TRUE(manualClockValid("12", "00", "00", "2024", feb, "29"));
    EXPECT_TRUE(manualClockValid("23", "59", "59", "", mar, "31"));  // an empty year is 2000
    EXPECT_FALSE(manualClockValid("12", "00", "00", "2024", apr, "31"));
    EXPECT_TRUE(manualClockValid("12", "00", "00", "2024", -1, "31"));  // no month: 31 days
    EXPECT_FALSE(manualClockValid("12", "", "00", "2024", mar, "01"));
    EXPECT_EQ(monthLength(1, 2100), 29);  // every fourth year, no century rule
}

TEST(ClockRules, AutoStartFieldsAndCountdown)
{
    EXPECT_FALSE(autoStartFieldsValid("00", "08", "31", 3, 2024));  // 31 April
    EXPECT_TRUE(autoStartFieldsValid("59", "23", "30", 3, 2024));
    EXPECT_FALSE(autoStartFieldsValid("60", "08", "01", 0, 2024));
    EXPECT_FALSE(autoStartFieldsValid("00", "24", "01", 0, 2024));

    const auto delay = [](int d, int h, int m, int s) {
        return DayNumber(2024, 3, 3 + d, h, m, s) - DayNumber(2024, 3, 3, 0, 0, 0);
    };
    EXPECT_EQ(autoStartCountdown(delay(2, 3, 4, 0)),
              "Instrument will auto start in about 2 days, 3 hr and 4 min");
    EXPECT_EQ(autoStartCountdown(delay(0, 0, 3, 20)),
              "Instrument will auto start in about 3 min and 20 sec.");
    EXPECT_EQ(autoStartCountdown(delay(0, 0, 0, 40)),
              "Instrument will auto start in about  40 sec.");
    EXPECT_EQ(autoStartCountdown(delay(0, 5, 0, 0)),
              "Instrument will auto start in about 5 hr and 0 min");
    EXPECT_EQ(autoStartCountdown(delay(1, 13, 0, 0)),
              "Instrument will auto start in about 1 days, 13 hr and 0 min");
}

TEST(WriteRules, NextFreeTagAndItsMessage)
{
    EXPECT_EQ(nextFreeTag({0, 1, 2, 4}), 3);
    EXPECT_EQ(nextFreeTag({}), 0);
    EXPECT_EQ(nextFreeTag({1, 2}), 0);
    QList<int> all;
    for (int i = 0; i < 100; ++i)
        all << i;
    EXPECT_EQ(nextFreeTag(all), 99);
    EXPECT_EQ(tagHoldsDataMessage("01", 3),
              "Tag number 01 contains data. \r \r Defauting to next available Tag number: 3");
}

TEST(WriteRules, CommandTextsKeepTheirBlanksAndFullStops)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(formatCommand(cmd::kFlowRateSetFmt, double(1.2f)), QByteArray("flowrate  1.20\r"));
    EXPECT_EQ(alarmCommands(1, true, 1.5f), QList<QByteArray>{"alarm on     1.500\r"});
    QLocale::setDefault(before);
    EXPECT_EQ(alarmCommands(0, true, 0), (QList<QByteArray>{"alarm on\r", "alarm off\r"}));
    EXPECT_EQ(alarmCommands(0, false, 0),
              (QList<QByteArray>{"alarm 1\r", "alarm 2\r", "alarm 0\r"}));
    EXPECT_EQ(alarmCommands(1, false, 2.25f),
              (QList<QByteArray>{"alarm 2\r", "alarm 1     2.250\r"}));
    EXPECT_EQ(alarmCommands(2, false, 0.5f),
              (QList<QByteArray>{"alarm 1\r", "alarm 2     0.500\r"}));
    EXPECT_EQ(siteCommand(1, false, 1.0f), QByteArray("site 1 0  \r"));
    EXPECT_EQ(siteCommand(3, true, 1.18f), QByteArray("site 3 0   1.180\r"));
    EXPECT_EQ(formatCommand(cmd::kAutoStartYearSetFmt, "30", "08", "01", 7, "25", "on"),
              QByteArray("autostart 30 08 01 7 25 on\r"));
}

namespace nesmo::config {
namespace {

TEST(WriteRules, StatusTellsUnansweredCommandsWithoutHidingTheStandbyReminder)
{
    EXPECT_EQ(writeStatus(0, false), "Configuration has been set.");
    EXPECT_EQ(writeStatus(0, true),
              "Instrument must remain powered in standby for Auto Start. Configuration has been "
              "set.");
    EXPECT_EQ(writeStatus(3, false),
              "Configuration sent, but 3 of the commands got no complete reply: the instrument "
              "may not match the page.");
    EXPECT_TRUE(writeStatus(1, true).endsWith(
        "may not match the page. Instrument must remain powered in standby for Auto Start."));
}

}  // namespace
}  // namespace nesmo::config
