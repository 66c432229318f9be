#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <cmath>

#include "logged_data/exposure.h"

namespace nesmo {
namespace {

constexpr double kNaN = kNoFigure;

// A tag as the capture lays it out (the sample's header lines), starting at
// 2024-04-10 08:00:00; a NaN concentration gives a line that cannot be read.
QByteArray tagText(int period, const QList<double>& concentration, const QByteArray& alarm = "OFF",
                   const QByteArray& level = "0.000", int announced = -1)
{
    QByteArray t =
        "\"Model Number\", \"Nesmo-7   \"\n\"Serial no.\", \"20871\"\n"
        "\"Tag Number  \", 4\n\"Number      \", " +
        QByteArray::number(announced < 0 ? concentration.size() : announced) +
        "\n\"Log Period  \", " +
        QString::asprintf("%02d:%02d:%02d", period / 3600, period / 60 % 60, period % 60)
            .toLatin1() +
        "\n\"Start Time  \", 08:00:00\n\"Start Date  \", 10-Apr-2024\n"
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

TEST(Exposure, TimeWeightedFiguresOfSyntheticTags)
{
    QList<double> spike = levels({{60, 0.1}});
    spike[19] = 15.1;
    QList<double> unreadable = levels({{20, 1.0}});
    unreadable[4] = kNaN;
    struct Case {
        const char* name;
        int period;
        QList<double> c;
        double twa8h, own, shortTerm;
        const char *twaFrom, *twaTo, *shortFrom, *shortTo;
        bool shorter8, longer8, shorter15;
        int unreadable;
    } cases[] = {
        {"constant 1 h", 60, levels({{60, 1.0}}), 0.125, 1.0, 1.0, "08:00:00", "09:00:00",
         "08:00:00", "08:15:00", true, false, false, 0},
        {"step", 60, levels({{30, 0.0}, {30, 2.0}}), 0.125, 1.0, 2.0, "08:00:00", "09:00:00",
         "08:30:00", "08:45:00", true, false, false, 0},
        {"single spike", 60, spike, 21.0 * 60 / 28800, 0.35, 16.5 / 15, "08:00:00", "09:00:00",
         "08:05:00", "08:20:00", true, false, false, 0},
        {"10 minutes", 60, levels({{10, 3.0}}), 0.0625, 3.0, 3.0, "08:00:00", "08:10:00",
         "08:00:00", "08:10:00", true, false, true, 0},
        // Worst 8 h: records 13..60; the whole tag over 480 min would give 2.375.
        {"12 hours", 600, levels({{12, 0.5}, {48, 2.0}, {12, 1.0}}), 2.0, 114.0 / 72, 2.0,
         "10:00:00", "18:00:00", "10:00:00", "10:10:00", false, true, false, 0},
        {"exactly 8 hours", 600, levels({{48, 1.0}}), 1.0, 1.0, 1.0, "08:00:00", "16:00:00",
         "08:00:00", "08:10:00", false, false, false, 0},
        {"unreadable record", 60, unreadable, 19.0 * 60 / 28800, 1.0, 1.0, "08:00:00", "08:20:00",
         "08:00:00", "08:15:00", true, false, false, 1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const ExposureSummary s = summarizeExposure(tagText(k.period, k.c));
        ASSERT_TRUE(s.error.isEmpty());
        EXPECT_EQ(s.records, k.c.size());
        EXPECT_EQ(s.unreadableRecords, k.unreadable);
        EXPECT_NEAR(s.twa8h, k.twa8h, 1e-9);
        EXPECT_NEAR(s.twaOwnDuration, k.own, 1e-9);
        EXPECT_NEAR(s.shortTermAverage, k.shortTerm, 1e-9);
        EXPECT_EQ(exposureTimeText(s.twa8hStart).mid(11), k.twaFrom);
        EXPECT_EQ(exposureTimeText(s.twa8hEnd).mid(11), k.twaTo);
        EXPECT_EQ(exposureTimeText(s.shortTermStart).mid(11), k.shortFrom);
        EXPECT_EQ(exposureTimeText(s.shortTermEnd).mid(11), k.shortTo);
        EXPECT_EQ(s.shorterThan8h, k.shorter8);
        EXPECT_EQ(s.longerThan8h, k.longer8);
        EXPECT_EQ(s.shorterThan15min, k.shorter15);
    }
}

TEST(Exposure, NotesSayHowShortAndLongTagsAreTaken)
{
    const QString shortTag =
        exposureSummaryText(summarizeExposure(tagText(60, levels({{150, 1.0}})))) +
        exposureSummaryText(summarizeExposure(tagText(60, levels({{10, 1.0}}))));
    EXPECT_TRUE(shortTag.contains(
        "The tag covers 2 h 30 min; unsampled time counts as zero in the 8-hour TWA."));
    EXPECT_TRUE(shortTag.contains("The tag covers 10 min, less than 15 minutes"));
    const QString longTag =
        exposureSummaryText(summarizeExposure(tagText(600, levels({{72, 1.0}}))));
    EXPECT_TRUE(
        longTag.contains("The tag covers 12 h; the 8-hour TWA is that of its highest "
                         "8-hour window, from 2024-04-10 08:00:00 to 2024-04-10 16:00:00."));
}

TEST(Exposure, TimeAboveTheAlarmLevel)
{
    const QList<double> c = {0.5, 2.0, 1.5, 3.0, 1.6, kNaN};
    struct Case {
        QByteArray mode, level;
        bool evaluated;
        int above;
    } cases[] = {{"INSTANT", "1.500", true, 3}, {"STEL", "1.500", true, 3},
                 {"STEL", "2.000", true, 1},    {"OFF", "1.500", false, 0},
                 {"TAG", "1.500", true, 3},  // unknown: taken as on, with a note
                 {"INSTANT", "x", false, 0}};
    for (const Case& k : cases) {
        SCOPED_TRACE((k.mode + " " + k.level).constData());
        const ExposureSummary s = summarizeExposure(tagText(60, c, k.mode, k.level));
        EXPECT_EQ(s.alarmEvaluated, k.evaluated);
        EXPECT_EQ(s.recordsAboveAlarm, k.above);
        EXPECT_EQ(s.secondsAboveAlarm, k.above * 60);
    }
}

TEST(Exposure, MissingRecordsAndTimeRange)
{
    const ExposureSummary missing =
        summarizeExposure(tagText(60, levels({{8, 1.0}}), "OFF", "0", 10));
    EXPECT_EQ(missing.missingRecords, 2);
    EXPECT_EQ(missing.records, 8);
    EXPECT_TRUE(missing.notes.join(' ').contains("announces 10 records, but the text holds 8"));

    // Records 13..24 of a 12-hour tag: 2 hours, so the 8-hour TWA counts the rest as zero.
    const QByteArray text = tagText(600, levels({{12, 0.5}, {48, 2.0}, {12, 1.0}}));
    const ExposureSummary whole = summarizeExposure(text);
    const double tenMinutes = 600 / 86400.0;
    const ExposureSummary part = summarizeExposure(text, whole.firstTime + 12 * tenMinutes,
                                                   whole.firstTime + 23 * tenMinutes);
    EXPECT_EQ(part.records, 12);
    EXPECT_EQ(exposureTimeText(part.coverStart), "2024-04-10 10:00:00");
    EXPECT_EQ(exposureTimeText(part.lastTime), "2024-04-10 12:00:00");
    EXPECT_TRUE(part.shorterThan8h);
    EXPECT_NEAR(part.twa8h, 0.5, 1e-9);
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
    EXPECT_TRUE(text.contains("8-hour TWA: 0.0141 mg/m3"));
    EXPECT_TRUE(text.contains("Average over the whole tag: 2.2500 mg/m3"));
    EXPECT_TRUE(text.contains("Alarm: OFF"));
}

}  // namespace
}  // namespace nesmo
