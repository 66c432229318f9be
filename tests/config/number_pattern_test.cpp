#include <gtest/gtest.h>

#include "config/qstring_print.h"

#include <QLocale>

#include "core/conversion.h"
#include "core/number_pattern.h"

using namespace nesmo;
using namespace nesmo::pattern;

namespace {
const QChar kDot = u'.';
}

TEST(NumberPattern, PatternsOfThePage)
{
    EXPECT_EQ(formatNumber("00", 5, kDot), "05");
    EXPECT_EQ(formatNumber("00", 123, kDot), "123");
    EXPECT_EQ(formatNumber("0000", 2024, kDot), "2024");
    EXPECT_EQ(formatNumber("0000", 5, kDot), "0005");
    EXPECT_EQ(formatNumber("0.00", 1.2, kDot), "1.20");
    EXPECT_EQ(formatNumber("#0.00", 2.5, kDot), "2.50");
    EXPECT_EQ(formatNumber("#0.00", 0.5, kDot), "0.50");
    EXPECT_EQ(formatNumber("##0.00", 12.5, kDot), "12.50");
    EXPECT_EQ(formatNumber("####0.000", 1.5f, kDot), "1.500");
    EXPECT_EQ(formatNumber("####0.000", 123456.5, kDot), "123456.500");  // no grouping
    EXPECT_EQ(formatNumber("0' days, '", 1.6, kDot), "2 days, ");
    EXPECT_EQ(formatNumber("0.00", 9.999, kDot), "10.00");
    EXPECT_EQ(formatNumber("00", 0.4, kDot), "00");
}

TEST(NumberPattern, HalvesRoundAwayFromZeroOnTheDecimalValue)
{
    EXPECT_EQ(formatNumber("0", 0.5, kDot), "1");
    EXPECT_EQ(formatNumber("0", 1.5, kDot), "2");
    EXPECT_EQ(formatNumber("0", 2.5, kDot), "3");  // not to even
    EXPECT_EQ(formatNumber("0", -2.5, kDot), "-3");
    EXPECT_EQ(formatNumber("0.00", 2.675, kDot), "2.68");  // 2.67499999... in binary
    EXPECT_EQ(formatNumber("0.00", 1.005, kDot), "1.01");
    EXPECT_EQ(formatNumber("0.00", -1.005, kDot), "-1.01");
    EXPECT_EQ(formatNumber("00", -3, kDot), "-03");
    EXPECT_EQ(formatNumber("0.00", -0.001, kDot), "0.00");  // no "-0.00"
    EXPECT_EQ(formatNumber("0.00", 1.2f, kDot), "1.20");    // a single-precision 1.2
}

TEST(NumberPattern, GeneralNumberForm)
{
    EXPECT_EQ(generalNumber(10, kDot), "10");
    EXPECT_EQ(generalNumber(1.5, kDot), "1.5");
    EXPECT_EQ(generalNumber(2.0, kDot), "2");
    EXPECT_EQ(generalNumber(0, kDot), "0");
    EXPECT_EQ(generalNumber(-0.25, kDot), "-0.25");
    EXPECT_EQ(generalNumber(0.1 + 0.2, kDot), "0.3");  // 15 significant digits
    EXPECT_EQ(generalNumber(123456789012345.0, kDot), "123456789012345");
    EXPECT_EQ(generalNumber(1e20, kDot), "1E20");
    EXPECT_EQ(generalNumber(0.0001, kDot), "0.0001");
}

TEST(NumberPattern, FixedNumbersOfTheReplies)
{
    EXPECT_EQ(fixedNumber(1.7, 2, 5, kDot), "1.70");
    EXPECT_EQ(fixedNumber(10, 0, 5, kDot), "10");
    EXPECT_EQ(fixedNumber(1.18f, 3, 6, kDot), "1.180");
    EXPECT_EQ(fixedNumber(-0.5, 2, 5, kDot), "-0.50");
    EXPECT_EQ(fixedNumber(99999.994, 2, 5, kDot), "99999.99");
    EXPECT_EQ(fixedNumber(123456, 2, 5, kDot), "1.2346E+005");
}

TEST(NumberPattern, DateTimePatterns)
{
    const double span = 2 + (3 * 3600 + 4 * 60 + 20) / 86400.0;
    EXPECT_EQ(formatDateTime("h' hr and '", span), "3 hr and ");
    EXPECT_EQ(formatDateTime("n' min'", span), "4 min");
    EXPECT_EQ(formatDateTime("' 's' sec.'", span), " 20 sec.");
    EXPECT_EQ(formatDateTime("hh:nn:ss", 0.5 + 5.0 / 86400), "12:00:05");
    // 3 March 2024, 07:05:09
    EXPECT_EQ(formatDateTime("dd-mm-yyyy hh:nn:ss", 45354 + (7 * 3600 + 5 * 60 + 9) / 86400.0),
              "03-03-2024 07:05:09");
    // 40.7 seconds show as 40: the time is cut to whole seconds.
    EXPECT_EQ(formatDateTime("s", 40.7 / 86400), "40");
}

TEST(NumberPattern, ReadingFieldTexts)
{
    EXPECT_EQ(parseReal(" 1.5 ", kDot), 1.5);
    EXPECT_EQ(parseReal("-2", kDot), -2.0);
    EXPECT_EQ(parseReal("2.", kDot), 2.0);
    EXPECT_EQ(parseReal(".5", kDot), 0.5);
    EXPECT_EQ(parseReal("1E3", kDot), 1000.0);
    for (const char* bad : {"", "-", ".", "1-2", "1.2.3", "1,5", "abc", "1e", "+-1"})
        EXPECT_FALSE(parseReal(QString::fromLatin1(bad), kDot)) << bad;
    EXPECT_EQ(parseReal("1,5", u','), 1.5);
    EXPECT_FALSE(parseReal("1.5", u','));
    EXPECT_THROW(strToFloat(QStringLiteral("1x")), ConversionError);
    EXPECT_EQ(strToIntDef(QStringLiteral("07"), -1), 7);
    EXPECT_EQ(strToIntDef(QStringLiteral("7.5"), -1), -1);
}

TEST(NumberPattern, FieldsFollowTheLocaleSeparator)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(localeDecimalSeparator(), u',');
    EXPECT_EQ(formatNumber("0.00", 1.2), "1,20");
    EXPECT_EQ(generalNumber(1.5), "1,5");
    EXPECT_EQ(strToFloat(QStringLiteral("2,5")), 2.5);
    QLocale::setDefault(before);
}
