#include <gtest/gtest.h>

#include "core/date_time.h"
#include "reply/reply_values.h"

using namespace nesmo;
using namespace nesmo::reply;

TEST(FirmwareVersionText, TruncatesTheProductOfTheNearestDouble)
{
    EXPECT_EQ(firmwareVersionFromText("1.28"), 128);  // 128.00000000000003
    EXPECT_EQ(firmwareVersionFromText("0.29"), 28);   // 28.999999999999996
    EXPECT_EQ(firmwareVersionFromText(" 0.67b"), 67);
    EXPECT_EQ(firmwareVersionFromText("-0.019"), -1);
    EXPECT_EQ(firmwareVersionFromText("abc"), std::nullopt);
    EXPECT_EQ(firmwareVersionFromText(""), std::nullopt);
    EXPECT_EQ(firmwareVersionFromText("1e300"), std::nullopt);
    EXPECT_EQ(firmwareVersionFromText("nan"), std::nullopt);
}

TEST(HeaderFields, MonthLettersAreCaseSensitive)
{
    const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(headerMonth((std::string("01-") + months[m - 1] + "-2000").c_str()), m);
    EXPECT_EQ(headerMonth("09-JUN-2021"), 7);
    EXPECT_EQ(headerMonth("09-JAN-2021"), 7);
    EXPECT_EQ(headerMonth("09-APR-2021"), 8);
    EXPECT_EQ(headerMonth("09-mar-2021"), 12);
    EXPECT_EQ(headerMonth("09"), 12);
}

TEST(HeaderFields, TimesAndDatesReadByPosition)
{
    EXPECT_DOUBLE_EQ(*headerTimeOfDay("23:58:30"), datetime::encodeTime(23, 58, 30));
    EXPECT_DOUBLE_EQ(*headerTimeOfDay("1x.2y/3z"), datetime::encodeTime(1, 2, 3));
    EXPECT_DOUBLE_EQ(*headerPeriod("36:00:30"), datetime::encodeTime(36, 0, 30));
    for (const char* bad : {"24:00:00", "12:60:00", "12:00", "ab:cd:ef", "-1:00:00", ""})
        EXPECT_EQ(headerTimeOfDay(bad), std::nullopt) << bad;
    EXPECT_EQ(headerPeriod("00:00:75"), std::nullopt);

    double expected = 0;
    ASSERT_TRUE(datetime::encodeDate(2004, 12, 31, expected));
    EXPECT_DOUBLE_EQ(*headerDate("31-Dec-2004"), expected);
    for (const char* bad : {"31-Feb-2021", "00-Jan-2021", "xx-Jan-2021", "01-Jan-", "01-Jan-0"})
        EXPECT_EQ(headerDate(bad), std::nullopt) << bad;
}
