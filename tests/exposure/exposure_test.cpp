#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <cmath>

#include "files/exposure.h"

namespace nesmo {
namespace {

constexpr double kNaN = kNoFigure;

// A tag as the capture lays it out (the sample's header lines), starting at
// 2024-04-10 08:00:00 unless told; a NaN concentration gives a line that cannot be read.
QByteArray tagText(int period, const QList<double>& concentration, const QByteArray& alarm = "OFF",
                   const QByteArray& level = "0.000", int announced = -1,
                   const QByteArray& start = "08:00:00")
{
    QByteArray t =
        "\"Model Number\", \"Nesmo-7   \"\n\"Serial no.\", \"20871\"\n"
        "\"Tag Number  \", 4\n\"Number      \", " +
        QByteArray::number(announced < 0 ? concentration.size() : announced) +
        "\n\"Log Period  \", " +
        QString::asprintf("%02d:%02d:%02d", period / 3600, period / 60 % 60, period % 60)
            .toLatin1() +
        "\n\"Start Time  \", " + start +
        "\n\"Start Date  \", 10-Apr-2024\n"
        "\"CalFactor\", 1.000\n\"Unit    \", 2\n\"Unit Name\", \"mg/m3\"\n"
        "\"TEMPUNITS\", C\n\"ALARM  \", \"" +
        alarm + "\"\n\"ALARM_LEVEL\", " + level +
        "\n\"Errors\", 0\nrecord, concentration, temperature, RH, pressure\n";
    int n = 0;
    for (const double c : concentration) {
        ++n;
        t += std::isnan(c) ? QString::asprintf("%5i,       ----,  20.0,   40,   750 ", n).toLatin1()
                           : QString::asprintf("%5i, %10.2f,  20.0,   40,   750 ", n, c).toLatin1();
        t += ",  00:00:00,  10-Apr-2024 \n";
    }
    return t;
}

QList<double> levels(std::initializer_list<std::pair<int, double>> runs)
{
    QList<double> v;
    for (const auto& [count, value] : runs)
        v.append(QList<double>(count, value));
    return v;
}

QList<double> ramp(int n, double step)
{
    QList<double> v;
    for (int i = 1; i <= n; ++i)
        v << i * step;
    return v;
}

// Worked by hand: dose = sum of concentration x seconds; 8 h = 28800 s; 15 min = 900 s.
TEST(Exposure, TimeWeightedFiguresOfWorkedExamples)
{
    QList<double> spike = levels({{60, 0.1}});
    spike[19] = 15.1;  // 08:19 to 08:20
    QList<double> unreadable = levels({{480, 1.0}});
    unreadable[100] = unreadable[200] = unreadable[300] = kNaN;
    struct Case {
        const char* name;
        int period;
        QList<double> c;
        double twa8h, rolling8h, shortTerm, own;
        const char *shortFrom, *shortTo;
    } cases[] = {
        {"constant 8 h", 600, levels({{48, 1.0}}), 48 * 600 * 1.0 / 28800, kNaN, 1.0, 1.0,
         "04-10 08:00:00", "04-10 08:15:00"},
        // An extended shift: the whole dose over 8 h, not the highest 8 hours.
        {"constant 12 h", 600, levels({{72, 1.0}}), 72 * 600 * 1.0 / 28800, 1.0, 1.0, 1.0,
         "04-10 08:00:00", "04-10 08:15:00"},
        // 0.1 + 0.2 + ... + 2.0 = 21; the last 8 hours hold 1.3 + ... + 2.0 = 13.2.
        {"20 hours rising", 3600, ramp(20, 0.1), 21.0 * 3600 / 28800, 13.2 / 8, 2.0, 21.0 / 20,
         "04-11 03:00:00", "04-11 03:15:00"},
        {"step", 60, levels({{30, 0.0}, {30, 2.0}}), 30 * 60 * 2.0 / 28800, kNaN, 2.0, 1.0,
         "04-10 08:30:00", "04-10 08:45:00"},
        {"single spike", 60, spike, (59 * 0.1 + 15.1) * 60 / 28800, kNaN,
         (14 * 0.1 + 15.1) * 60 / 900, 21.0 / 60, "04-10 08:05:00", "04-10 08:20:00"},
        // The last 15 minutes: 1 min of record 3, all of records 4 to 10.
        {"2-minute period", 120, ramp(10, 1.0), 55.0 * 120 / 28800, kNaN,
         (3.0 * 60 + (4 + 5 + 6 + 7 + 8 + 9 + 10) * 120.0) / 900, 5.5, "04-10 08:05:00",
         "04-10 08:20:00"},
        // The last 15 minutes: 7 min of record 3, all 8 min of record 4.
        {"8-minute period", 480, ramp(4, 1.0), 10.0 * 480 / 28800, kNaN,
         (7 * 60 * 3.0 + 8 * 60 * 4.0) / 900, 2.5, "04-10 08:17:00", "04-10 08:32:00"},
        {"30-minute period",
         1800,
         {1.0, 3.0, 2.0},
         6.0 * 1800 / 28800,
         kNaN,
         3.0,
         2.0,
         "04-10 08:30:00",
         "04-10 08:45:00"},
        // The 5 minutes after the tag are unsampled in its 15-minute window.
        {"10-minute tag", 60, levels({{10, 3.0}}), 10 * 60 * 3.0 / 28800, kNaN, 10 * 60 * 3.0 / 900,
         3.0, "04-10 08:00:00", "04-10 08:10:00"},
        {"unreadable records", 60, unreadable, 477 * 60 * 1.0 / 28800, kNaN, 1.0, 477.0 / 480,
         "04-10 08:00:00", "04-10 08:15:00"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const ExposureSummary s = summarizeExposure(tagText(k.period, k.c));
        ASSERT_TRUE(s.error.isEmpty());
        EXPECT_EQ(s.records, k.c.size());
        EXPECT_NEAR(s.twa8h.average, k.twa8h, 1e-9);
        if (std::isnan(k.rolling8h))
            EXPECT_TRUE(std::isnan(s.rolling8h.average));
        else
            EXPECT_NEAR(s.rolling8h.average, k.rolling8h, 1e-9);
        EXPECT_NEAR(s.shortTerm.average, k.shortTerm, 1e-9);
        EXPECT_NEAR(s.ownDuration.average, k.own, 1e-9);
        EXPECT_EQ(exposureTimeText(s.shortTerm.start).mid(5), k.shortFrom);
        EXPECT_EQ(exposureTimeText(s.shortTerm.end).mid(5), k.shortTo);
    }
    const ExposureSummary twenty = summarizeExposure(tagText(3600, ramp(20, 0.1)));
    EXPECT_EQ(twenty.twaBasis, TwaBasis::ExtendedShift);
    EXPECT_EQ(exposureTimeText(twenty.rolling8h.start), "2024-04-10 20:00:00");
    EXPECT_EQ(exposureTimeText(twenty.rolling8h.end), "2024-04-11 04:00:00");

    const ExposureSummary gaps = summarizeExposure(tagText(60, unreadable));
    EXPECT_EQ(gaps.unreadableRecords, 3);
    EXPECT_EQ(gaps.twa8h.sampledSeconds, 477 * 60);
    EXPECT_NEAR(gaps.twa8h.sampledAverage, 1.0, 1e-9);
    const QString text = exposureSummaryText(gaps);
    EXPECT_TRUE(text.contains(
        "3 records (3 min) unreadable: the 8-hour TWA rests on 7 h 57 min of samples."));
    EXPECT_TRUE(
        text.contains("8-hour TWA: 0.9938 mg/m3 (the whole tag's dose over 8 h, "
                      "2024-04-10 08:00:00 to 2024-04-10 16:00:00; 1.0000 mg/m3 over "
                      "the 7 h 57 min sampled)"));
}

TEST(Exposure, OneEightHourTwaPerCalendarDay)
{
    // 40 hourly records from 08:30: 1.0 until 00:30, then 0.5.
    const ExposureSummary s = summarizeExposure(
        tagText(3600, levels({{16, 1.0}, {24, 0.5}}), "OFF", "0", -1, "08:30:00"));
    ASSERT_EQ(s.dailyTwa.size(), 3);
    struct Day {
        const char* day;
        double twa;
        long long covered;
    } days[] = {
        {"2024-04-10", 15.5 * 1.0 / 8, 15 * 3600 + 1800},
        {"2024-04-11", (0.5 * 1.0 + 23.5 * 0.5) / 8, 24 * 3600},
        {"2024-04-12", 0.5 * 0.5 / 8, 1800},
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(days[i].day);
        EXPECT_EQ(s.dailyTwa[i].day, days[i].day);
        EXPECT_NEAR(s.dailyTwa[i].twa.average, days[i].twa, 1e-9);
        EXPECT_EQ(s.dailyTwa[i].twa.coveredSeconds, days[i].covered);
    }
    EXPECT_EQ(s.twaBasis, TwaBasis::HighestDay);
    EXPECT_NEAR(s.twa8h.average, 15.5 / 8, 1e-9);
    EXPECT_EQ(exposureTimeText(s.twa8h.start), "2024-04-10 08:30:00");
    EXPECT_EQ(exposureTimeText(s.twa8h.end), "2024-04-11 00:00:00");
    EXPECT_NEAR(s.rolling8h.average, 1.0, 1e-9);
    EXPECT_TRUE(s.notes.join(' ').contains("the headline is the highest, 2024-04-10."));
}

TEST(Exposure, TimeAboveTheAlarmLevel)
{
    const QList<double> c = {0.5, 2.0, 1.5, 3.0, 1.6, kNaN};
    // 2.0 from 08:20 to 08:30, else 0. The 15-minute average at minute t holds
    // 2.0 x (the spike's minutes in [t - 15, t]) / 15: above 1.2 while that
    // overlap is above 9 min, from t = 29 to t = 36; it never passes 20 / 15.
    const QList<double> spike = levels({{20, 0.0}, {10, 2.0}, {30, 0.0}});
    struct Case {
        QList<double> c;
        QByteArray mode, level;
        bool evaluated;
        int above;
        double seconds;
    } cases[] = {
        {c, "INSTANT", "1.500", true, 3, 3 * 60},
        {c, "OFF", "1.500", false, 0, 0},
        {c, "TAG", "1.500", true, 3, 3 * 60},  // unknown: taken as on, with a note
        {c, "INSTANT", "x", false, 0, 0},
        {spike, "INSTANT", "1.200", true, 10, 10 * 60},
        {spike, "STEL", "1.200", true, 10, (36 - 29) * 60},
        {spike, "STEL", "1.500", true, 10, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE((k.mode + " " + k.level).constData());
        const ExposureSummary s = summarizeExposure(tagText(60, k.c, k.mode, k.level));
        EXPECT_EQ(s.alarmEvaluated, k.evaluated);
        EXPECT_EQ(s.recordsAboveAlarm, k.above);
        EXPECT_NEAR(s.secondsAboveAlarm, k.seconds, 1e-6);
    }
}

TEST(Exposure, NotesFileTimesUnitAndRange)
{
    const QString notes = summarizeExposure(tagText(60, levels({{150, 1.0}}))).notes.join('\n') +
                          summarizeExposure(tagText(60, levels({{10, 1.0}}))).notes.join('\n') +
                          summarizeExposure(tagText(600, levels({{72, 1.0}}))).notes.join('\n') +
                          summarizeExposure(tagText(120, levels({{60, 1.0}}))).notes.join('\n');
    for (const char* note :
         {"The tag covers 2 h 30 min; unsampled time counts as zero in the 8-hour TWA.",
          "The tag covers 10 min, less than 15 minutes: the short-term average counts the 5 min "
          "after it as unsampled.",
          "The tag covers 12 h, more than 8 hours: the 8-hour TWA is the whole tag's dose over 8 "
          "hours, as for an extended shift.",
          "The log period of 2 min does not divide 15 minutes"})
        EXPECT_TRUE(notes.contains(note)) << note;

    // A 1-second tag from 23:58:00: the first record is the file's 23:58:01.
    QByteArray second = tagText(1, levels({{5, 1.0}}), "OFF", "0", -1, "23:58:00");
    second.replace("\"mg/m3\"", "\"/Mm\"");
    second.replace("       1.00,", "-32263715162714800128.00,");
    const ExposureSummary s = summarizeExposure(second);
    EXPECT_EQ(exposureTimeText(s.firstTime), "2024-04-10 23:58:01");
    EXPECT_EQ(s.unit, "/Mm");
    EXPECT_EQ(s.unreadableRecords, 5);  // beyond any reading

    const ExposureSummary missing =
        summarizeExposure(tagText(60, levels({{8, 1.0}}), "OFF", "0", 10));
    EXPECT_EQ(missing.missingRecords, 2);
    EXPECT_TRUE(missing.notes.join(' ').contains("announces 10 records, but the text holds 8"));

    // Records 13..24 of a 12-hour tag: 2 hours, the rest of 8 hours unsampled.
    const QByteArray text = tagText(600, levels({{12, 0.5}, {12, 2.0}, {48, 1.0}}));
    const ExposureSummary whole = summarizeExposure(text);
    const double tenMinutes = 600 / 86400.0;
    const ExposureSummary part = summarizeExposure(text, whole.firstTime + 12 * tenMinutes,
                                                   whole.firstTime + 23 * tenMinutes);
    EXPECT_EQ(part.records, 12);
    EXPECT_EQ(exposureTimeText(part.coverStart), "2024-04-10 10:00:00");
    EXPECT_EQ(exposureTimeText(part.lastTime), "2024-04-10 12:00:00");
    EXPECT_NEAR(part.twa8h.average, 12 * 600 * 2.0 / 28800, 1e-9);
    EXPECT_EQ(summarizeExposure(text, 0, 1).records, 0);
}

TEST(Exposure, RealSample)
{
    QFile f(QStringLiteral(NESMO_TEST_DATA "/samples/dump-tag9.scratch.txt"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const ExposureSummary s = summarizeExposure(f.readAll());
    ASSERT_EQ(s.records, 6);
    struct Case {
        int series, count;
        double minimum;
        const char* minimumAt;
        double maximum;
        const char* maximumAt;
        double mean, median;
    } cases[] = {
        {SeriesData, 6, -0.02, "00:00:30", 12.5, "00:01:00", 2.25, 0.10},
        {SeriesTemp, 6, -1.5, "00:00:30", 30.1, "00:01:00", 96.2 / 6, 21.3},
        {SeriesHumidity, 6, 13, "00:00:00", 100, "00:01:00", 271.0 / 6, 39.5},
        {SeriesPressure, 6, 752, "00:00:30", 910, "00:01:00", 4772.0 / 6, 755},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.series);
        const SeriesStatistics& v = s.series[k.series];
        EXPECT_EQ(v.count, k.count);
        EXPECT_NEAR(v.minimum, k.minimum, 1e-9);
        EXPECT_EQ(exposureTimeText(v.minimumTime), QString("2023-07-05 ") + k.minimumAt);
        EXPECT_NEAR(v.maximum, k.maximum, 1e-9);
        EXPECT_EQ(exposureTimeText(v.maximumTime), QString("2023-07-05 ") + k.maximumAt);
        EXPECT_NEAR(v.mean, k.mean, 1e-9);
        EXPECT_NEAR(v.median, k.median, 1e-9);
    }
    // Numbers keep their full stop whatever the locale.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString text = exposureSummaryText(s);
    QLocale::setDefault(QLocale::c());
    EXPECT_TRUE(text.contains("Covers: 2023-07-04 23:58:30 to 2023-07-05 00:01:30 (3 min)"));
    EXPECT_TRUE(text.contains("8-hour TWA: 0.0141 mg/m3"));  // 2.25 x 180 s / 28800 s
    EXPECT_TRUE(text.contains("Highest 15-minute average: 0.4500 mg/m3"));  // 2.25 x 3 / 15
    EXPECT_TRUE(text.contains("Average over the tag's 3 min: 2.2500 mg/m3"));
    EXPECT_TRUE(text.contains("Time above the alarm level: - (alarm OFF)"));
    EXPECT_TRUE(text.contains("Concentration [mg/m3]\t6\t-0.020\t2023-07-05 00:00:30\t12.500"));
}

}  // namespace
}  // namespace nesmo
