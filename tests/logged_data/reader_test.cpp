#include <gtest/gtest.h>

#include <QDateTime>
#include <cmath>
#include <cstring>

#include "files/graph_data.h"
#include "files/tag_reader.h"
#include "link/receive_path.h"
#include "support/test_support.h"

namespace nesmo::test {
namespace {

QByteArray sampleTag()
{
    return readFile(QStringLiteral(NESMO_TEST_DATA "/samples/dump-tag9.scratch.txt"));
}

// A tag as the capture lays it out, with these header values and record lines.
QByteArray tagText(const QByteArray& start, const QByteArray& date, const QByteArray& period,
                   const QList<QByteArray>& records, int announced = -1)
{
    QByteArray t =
        "\"Model Number\", \"Nesmo-7   \"\n"
        "\"Serial no.\", \"20871\"\n"
        "\"Tag Number  \", 12\n"
        "\"Number      \", " +
        QByteArray::number(announced < 0 ? records.size() : announced) +
        "\n"
        "\"Log Period  \", " +
        period +
        "\n"
        "\"Start Time  \", " +
        start +
        "\n"
        "\"Start Date  \", " +
        date +
        "\n"
        "\"CalFactor\", 1.000\n\"Unit    \", 2\n\"Unit Name\", \"mg/m3\"\n"
        "\"TEMPUNITS\", F\n\"ALARM  \", \"OFF\"\n\"ALARM_LEVEL\", 0.000\n"
        "\"Errors\", 0\n"
        "record, concentration, temperature, RH, pressure\n";
    for (const QByteArray& r : records)
        t += r + "\n";
    return t;
}

QList<QByteArray> plainRecords(int n)
{
    QList<QByteArray> r;
    for (int i = 1; i <= n; ++i)
        r << QString::asprintf("%5i, %10.2f, %5.1f, %4i, %5.0f ,  00:00:00,  01-Jan-2000 ", i,
                               0.5 * i, 20.0 + i, 40 + i, 750.0 + i)
                 .toLatin1();
    return r;
}

QString clock(double day)
{
    // Days since 30 Dec 1899 as a UTC date and time.
    const qint64 ms = std::llround((day - 25569.0) * 86400000.0);
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC)
        .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

TEST(TagReader, RecordLineOfTheCaptureReadsBack)
{
    // Record 1: concentration 1.5, temperature code 234, humidity 45, pressure code 180.
    unsigned char record[10] = {0xDF};
    const float c = 1.5f;
    std::memcpy(record + 1, &c, sizeof c);
    record[5] = 234 & 0xFF;
    record[6] = 0;
    record[7] = 45;
    record[8] = 180;
    const QByteArray line =
        "    1" + ReceivePath::recordText(record) + ",  10:01:00,  15-Mar-2005 ";
    EXPECT_TRUE(line.startsWith("    1,       1.50,  23.4,   45,   760 "));
    const RecordValues v = readRecordLine(line);
    EXPECT_DOUBLE_EQ(v.concentration, 1.5);
    EXPECT_NEAR(v.temperature, 23.4, 1e-6);
    EXPECT_EQ(v.humidity, 45);
    EXPECT_EQ(v.pressure, 760);
}

TEST(TagReader, SampleHeaderAndRecords)
{
    const QByteArray text = sampleTag();
    const TagHeader h = readTagHeader(text);
    EXPECT_EQ(h.Model, QByteArray("Nesmo-7   "));
    EXPECT_EQ(h.SerialNo, QByteArray("20871"));
    EXPECT_EQ(h.TagNumber, 9);
    EXPECT_EQ(h.StartTime, QByteArray("23:58:30"));
    EXPECT_EQ(h.StartDate, QByteArray("04-Jul-2023"));
    EXPECT_EQ(h.LogPeriodText, QByteArray("00:00:30"));
    EXPECT_EQ(h.NumberOfRecords, 6);
    EXPECT_EQ(h.UnitName, QByteArray("mg/m3"));
    EXPECT_EQ(h.TempUnits, 'C');
    EXPECT_TRUE(h.missingKeys.isEmpty());
    const QList<QByteArrayView> lines = recordLines(text, h.NumberOfRecords);
    ASSERT_EQ(lines.size(), 6);
    const RecordValues r4 = readRecordLine(lines[3]);
    EXPECT_DOUBLE_EQ(r4.concentration, -0.02);
    EXPECT_DOUBLE_EQ(r4.temperature, -1.5);
    EXPECT_EQ(r4.humidity, 41);
    EXPECT_EQ(r4.pressure, 752);
}

TEST(TagReader, IntegersAsPercentIReadsThem)
{
    EXPECT_EQ(scanInteger("  42,"), 42);
    EXPECT_EQ(scanInteger("-12"), -12);
    EXPECT_EQ(scanInteger("+7"), 7);
    EXPECT_EQ(scanInteger("0x1F"), 31);
    EXPECT_EQ(scanInteger("0X1f"), 31);
    EXPECT_EQ(scanInteger("017"), 15);
    EXPECT_EQ(scanInteger("08"), 0);   // octal stops at the 8
    EXPECT_EQ(scanInteger("0xg"), 0);  // the 0 is read, the x is not a number
    EXPECT_EQ(scanInteger("99999999999"), INT_MAX);
    EXPECT_EQ(scanInteger("-99999999999"), INT_MIN);
    bool ok = true;
    EXPECT_EQ(scanInteger("abc", &ok), 0);
    EXPECT_FALSE(ok);

    QByteArray text = tagText("10:00:00", "15-Mar-2005", "00:01:00", plainRecords(2));
    text.replace("\"Tag Number  \", 12", "\"Tag Number  \", 0x1F");
    text.replace("\"Number      \", 2", "\"Number      \", 02");
    const TagHeader h = readTagHeader(text);
    EXPECT_EQ(h.TagNumber, 31);
    EXPECT_EQ(h.NumberOfRecords, 2);
}

TEST(TagReader, HeaderValueWindow)
{
    // The separator must lie within 50 characters of the key.
    const QByteArray far = "\"Errors" + QByteArray(50, ' ') + "\", 3\n";
    EXPECT_TRUE(FindHeaderValue(far, "Errors").keyFound);
    EXPECT_TRUE(FindHeaderValue(far, "Errors").text.isEmpty());
    const QByteArray near = "\"Errors" + QByteArray(40, ' ') + "\", 3\n";
    EXPECT_EQ(FindHeaderValue(near, "Errors").text.first(1), QByteArrayView("3"));
    // A missing key is looked for from the start of the text instead.
    const HeaderValue missing = FindHeaderValue("\"A\", 5\n", "Errors");
    EXPECT_FALSE(missing.keyFound);
    EXPECT_EQ(missing.text.first(1), QByteArrayView("5"));
    // Quoted values stop at the end of their line.
    const TagHeader h =
        readTagHeader("\"Model Number\", \"Short\n\"Serial no.\", \"1234567890123\n");
    EXPECT_EQ(h.Model, QByteArray("Short"));
    EXPECT_EQ(h.SerialNo, QByteArray("1234567890"));
}

TEST(TagReader, AlarmSettingAndLevel)
{
    const TagAlarm stel = readTagAlarm("\"ALARM  \", stel\r\n\"ALARM_LEVEL\", 2.5\r\n");
    EXPECT_TRUE(stel.on && stel.levelRead && stel.level == 2.5);
    EXPECT_FALSE(readTagAlarm("\"ALARM  \", \"off\"\n").on);
    // Without its line the level is not taken from elsewhere in the text.
    const TagAlarm none = readTagAlarm("\"ALARM  \", \"ON\"\n\"Errors\", 1.000\n");
    EXPECT_TRUE(none.on);
    EXPECT_FALSE(none.levelRead);
}

TEST(TagReader, MissingTagNumberIsReportedOnceAndTheRecordsStillDraw)
{
    QByteArray text = tagText("10:00:00", "15-Mar-2005", "00:01:00", plainRecords(3));
    text.replace("\"Tag Number  \", 12\n", "");
    const GraphData g = buildGraphData(text, GraphOptions(), 0);
    EXPECT_EQ(g.header.missingKeys, QList<QByteArray>{"Tag Number"});
    EXPECT_EQ(g.messages, QStringList{QString::fromLatin1(kHeaderProblemMessage)});
    EXPECT_TRUE(g.error.isEmpty());
    EXPECT_EQ(g.times.size(), 3);
    EXPECT_EQ(g.values[SeriesPressure], (QList<double>{751, 752, 753}));
}

TEST(TagReader, NotesAboveTheHeader)
{
    const QByteArray tag = tagText("10:00:00", "15-Mar-2005", "00:01:00", plainRecords(3));
    const GraphData plain = buildGraphData(tag, GraphOptions(), 0);

    // A note without key texts or "record," changes nothing the graph reads.
    const GraphData noted =
        buildGraphData("Site visit, filter changed at noon.\n" + tag, GraphOptions(), 0);
    EXPECT_EQ(noted.title, plain.title);
    EXPECT_EQ(noted.times, plain.times);
    EXPECT_EQ(noted.values, plain.values);

    // A note holding "record," moves the records to the line after the note.
    const GraphData moved = buildGraphData("record, the values below\n" + tag, GraphOptions(), 0);
    EXPECT_EQ(moved.times.size(), 3);
    EXPECT_TRUE(std::isnan(moved.values[SeriesData][0]));  // the "Model Number" line
}

TEST(GraphData, ShortPeriodsMoveTheStart)
{
    const QByteArray two = tagText("10:00:00", "15-Mar-2005", "00:00:02", plainRecords(3));
    const GraphData g = buildGraphData(two, GraphOptions(), 0);
    ASSERT_EQ(g.times.size(), 3);
    EXPECT_EQ(clock(g.times[0]), QStringLiteral("2005-03-15 10:00:06"));
    EXPECT_EQ(clock(g.times[1]), QStringLiteral("2005-03-15 10:00:08"));
    EXPECT_EQ(clock(g.times[2]), QStringLiteral("2005-03-15 10:00:10"));

    const QByteArray minute = tagText("10:00:00", "15-Mar-2005", "00:01:00", plainRecords(3));
    const GraphData m = buildGraphData(minute, GraphOptions(), 0);
    ASSERT_EQ(m.times.size(), 3);
    EXPECT_EQ(clock(m.times[0]), QStringLiteral("2005-03-15 10:01:00"));
    EXPECT_EQ(clock(m.times[2]), QStringLiteral("2005-03-15 10:03:00"));

    for (const auto& [period, moved] :
         {std::pair{"00:00:01", 5}, std::pair{"00:00:03", 3}, std::pair{"00:00:04", 4},
          std::pair{"00:00:05", 5}, std::pair{"00:00:06", 0}}) {
        const GraphData p = buildGraphData(
            tagText("10:00:00", "15-Mar-2005", period, plainRecords(1)), GraphOptions(), 0);
        const int seconds = QByteArray(period).right(2).toInt();
        EXPECT_EQ(clock(p.times[0]),
                  QStringLiteral("2005-03-15 10:00:%1").arg(moved + seconds, 2, 10, QChar('0')))
            << period;
    }
}

TEST(GraphData, DayNumbersAndMonths)
{
    EXPECT_EQ(graphDayNumber(2004, 1, 1), 37987);
    EXPECT_EQ(graphDayNumber(2004, 2, 29), 38046);
    EXPECT_EQ(graphDayNumber(2004, 3, 1), 38047);
    EXPECT_EQ(graphDayNumber(2005, 3, 15), 38426);
    const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(graphMonth(QByteArray("01-") + months[m - 1] + "-2004"), m) << months[m - 1];
    EXPECT_EQ(graphMonth("01-JUN-2004"), 7);  // case matters: N in the sixth place is no n
    EXPECT_EQ(graphMonth("01-jun-2004"), 0);
    EXPECT_EQ(graphMonth("01"), 0);
}

TEST(GraphData, HeadersThatCannotBeDrawnAsTheyStand)
{
    // A month that matches none stops the build: no points, but the titles.
    const GraphData month = buildGraphData(
        tagText("10:00:00", "15-Xyz-2005", "00:01:00", plainRecords(3)), GraphOptions(), 0);
    EXPECT_FALSE(month.error.isEmpty());
    EXPECT_TRUE(month.times.isEmpty());
    EXPECT_TRUE(month.title.contains(QStringLiteral("15-Xyz-2005")));
    const GraphData day = buildGraphData(
        tagText("10:00:00", "xx-Mar-2005", "00:01:00", plainRecords(3)), GraphOptions(), 0);
    EXPECT_EQ(day.error, QStringLiteral("'xx' is not a valid integer value"));
    const GraphData time = buildGraphData(
        tagText("10:0a:00", "15-Mar-2005", "00:01:00", plainRecords(3)), GraphOptions(), 0);
    EXPECT_FALSE(time.error.isEmpty());

    // A period of 00:00:00: all records at the start, and a word why.
    const GraphData zero = buildGraphData(
        tagText("10:00:00", "15-Mar-2005", "00:00:00", plainRecords(3)), GraphOptions(), 0);
    EXPECT_TRUE(zero.error.isEmpty());
    ASSERT_EQ(zero.times.size(), 3);
    EXPECT_EQ(zero.times[0], zero.times[2]);
    ASSERT_EQ(zero.messages.size(), 1);
    EXPECT_TRUE(zero.messages[0].contains(QStringLiteral("00:00:00")));

    // Fewer record lines than announced, and lines with missing or bad fields.
    QList<QByteArray> records = plainRecords(2);
    records << "    3,       0.75,  21.0"
            << "    4, abc, 1, 2, 3"
            << "";
    const GraphData short_ = buildGraphData(
        tagText("10:00:00", "15-Mar-2005", "00:01:00", records, 100), GraphOptions(), 0);
    ASSERT_EQ(short_.times.size(), 5);
    EXPECT_EQ(short_.values[SeriesTemp][2], 21.0);
    EXPECT_TRUE(std::isnan(short_.values[SeriesHumidity][2]));
    EXPECT_TRUE(std::isnan(short_.values[SeriesData][3]));
    EXPECT_TRUE(std::isnan(short_.values[SeriesTemp][3]));  // reading stops at the first mismatch
    EXPECT_TRUE(short_.automaticMinimum);                   // a concentration that is no number

    // Values no axis can hold leave gaps.
    const RecordValues huge = readRecordLine("    1, 1e400, -1e999, 45, 1e-999");
    EXPECT_EQ(huge.concentration, HUGE_VAL);
    EXPECT_EQ(huge.temperature, -HUGE_VAL);
    EXPECT_EQ(huge.pressure, 0);
    QList<QByteArray> wild = plainRecords(1);
    wild << "    2, 1e400, 1e300, 45, -1e13";
    const GraphData w =
        buildGraphData(tagText("10:00:00", "15-Mar-2005", "00:01:00", wild), GraphOptions(), 0);
    EXPECT_TRUE(std::isnan(w.values[SeriesData][1]));
    EXPECT_TRUE(std::isnan(w.values[SeriesTemp][1]));
    EXPECT_EQ(w.values[SeriesHumidity][1], 45);
    EXPECT_TRUE(std::isnan(w.values[SeriesPressure][1]));
    EXPECT_EQ(short_.messages, QStringList{"The header announces 100 records, but only 5 record "
                                           "lines follow; the graph shows those."});
    QByteArray noTitle = tagText("10:00:00", "15-Mar-2005", "00:01:00", plainRecords(3));
    noTitle.replace("record,", "Record;");
    const GraphData untitled = buildGraphData(noTitle, GraphOptions(), 0);
    EXPECT_TRUE(untitled.times.isEmpty());
    ASSERT_EQ(untitled.messages.size(), 1);
    EXPECT_TRUE(untitled.messages[0].contains(QStringLiteral("no column-title line")));
}

TEST(GraphData, AShownValueBelowZeroFreesTheAxis)
{
    QList<QByteArray> records = plainRecords(3);
    records[1] = "    2,      -0.02,  21.0,   40,   750 ,  00:00:00,  01-Jan-2000 ";
    const QByteArray text = tagText("10:00:00", "15-Mar-2005", "00:01:00", records);
    EXPECT_TRUE(buildGraphData(text, GraphOptions(), 0).automaticMinimum);
    GraphOptions noData;
    noData.shown[SeriesData] = false;
    const GraphData g = buildGraphData(text, noData, 0);
    EXPECT_FALSE(g.automaticMinimum);
    EXPECT_TRUE(g.values[SeriesData].isEmpty());
    EXPECT_EQ(g.values[SeriesTemp].size(), 3);

    // A cold store: the concentration is positive, the temperature is not.
    records = plainRecords(3);
    records[2] = "    3,       0.05,  -4.5,   40,   750 ,  00:00:00,  01-Jan-2000 ";
    const QByteArray cold = tagText("10:00:00", "15-Mar-2005", "00:01:00", records);
    EXPECT_TRUE(buildGraphData(cold, GraphOptions(), 0).automaticMinimum);
    GraphOptions noTemperature;
    noTemperature.shown[SeriesTemp] = false;
    EXPECT_FALSE(buildGraphData(cold, noTemperature, 0).automaticMinimum);
}

TEST(GraphData, TitleAndSeriesTitles)
{
    const GraphData g = buildGraphData(sampleTag(), GraphOptions(), 3);
    EXPECT_EQ(g.title, QStringLiteral("Nesmo-7     SN# 20871  Dev# 3  Tag# 9  start: 04-Jul-2023 "
                                      "23:58:30  interval: 00:00:30"));
    EXPECT_EQ(g.seriesTitles[SeriesData], QStringLiteral("mg/m3"));
    EXPECT_EQ(g.seriesTitles[SeriesTemp], QString::fromUtf8("T [\u00B0C]"));
    EXPECT_EQ(g.seriesTitles[SeriesHumidity], QStringLiteral("RH [%]"));
    EXPECT_EQ(g.seriesTitles[SeriesPressure], QStringLiteral("Pa [mmHg]"));
    EXPECT_EQ(deviceNumberFromFileName(QStringLiteral("UNT00312.txt")), 3);
    EXPECT_EQ(deviceNumberFromFileName(QStringLiteral("/data/UNT25507.txt")), 255);
    EXPECT_EQ(deviceNumberFromFileName(QStringLiteral("/data/site4.txt")), 0);
}

}  // namespace
}  // namespace nesmo::test
