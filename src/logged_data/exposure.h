#pragma once

// The exposure summary of a tag: per series the count, extremes, mean and median;
// for the concentration the 8-hour time-weighted average, the highest 15-minute
// average, the time above the alarm level and the records that are missing or
// could not be read. Widget-free; worked out from the same records and record
// times as the Data graph (buildGraphData), so the figures match the chart.
//
// How the figures are taken (P is the log period, N the records summarised):
//  * Every record stands for the P seconds that end at its time: the tag covers
//    N x P seconds, from the first record's time minus P to the last record's time.
//  * Record times come from the header's start date, start time and log period,
//    as on the graph; the record lines' own time stamps are not read. So a gap
//    shows only as fewer record lines than the header announces (missingRecords):
//    the lines stop early, and the time they would have covered is not in the tag.
//  * A concentration that cannot be read (or is beyond any instrument reading, as
//    on the graph) is left out of the statistics and counted in unreadableRecords.
//  * 8-hour TWA = (sum of concentration x P) / 480 min, the sum over a window of
//    K = floor(8 h / P) consecutive records. A tag of at most 8 hours is one
//    window: its unsampled time, and an unreadable record, count as zero. A tag
//    longer than 8 hours gives the TWA of its worst (highest) 8-hour window,
//    reported with that window's start and end; the TWA over the tag's own
//    duration (the time-weighted mean of its readable records) is always given.
//  * Highest 15-minute average: windows of W = floor(15 min / P) consecutive
//    records (at least one), each the mean of its readable values; the earliest
//    of equal windows is reported. A period that does not divide 15 minutes gives
//    windows a little shorter (7 min: two records, 14 min); a period over 15
//    minutes, single records. A tag shorter than 15 minutes gives the mean of the
//    whole tag instead, flagged as such.
//  * Time above the alarm level: with the header's alarm "INSTANT", "ON" or
//    "STEL" (any other text but "OFF" is taken as on, with a note), the records
//    whose concentration is strictly above "ALARM_LEVEL", times P.

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <array>
#include <limits>

#include "logged_data/graph_data.h"

namespace nesmo {

inline constexpr double kNoFigure = std::numeric_limits<double>::quiet_NaN();

// Times are days since 30 December 1899, as GraphData::times.
struct SeriesStatistics {
    int count = 0;  // readable values
    double minimum = kNoFigure;
    double minimumTime = kNoFigure;  // the first record with the minimum
    double maximum = kNoFigure;
    double maximumTime = kNoFigure;  // the first record with the maximum
    double mean = kNoFigure;
    double median = kNoFigure;  // the mean of the middle two for an even count
};

enum class AlarmMode { Off, Instant, Stel, Other };

struct ExposureSummary {
    // Set when the header's times or date cannot be read; nothing else is then.
    QString error;
    QString unit;             // the header's "Unit Name"
    QString temperatureUnit;  // degree sign and the header's TEMPUNITS letter
    int periodSeconds = 0;
    int announcedRecords = 0;  // the header's record count (whole tag)
    int recordLines = 0;       // the record lines the text holds (whole tag)
    int missingRecords = 0;    // announced but not in the text (whole tag)

    // The records summarised: the whole tag, or those in the asked time range.
    int records = 0;
    double firstTime = kNoFigure;   // the first record's time
    double lastTime = kNoFigure;    // the last record's time
    double coverStart = kNoFigure;  // firstTime minus one log period
    long long durationSeconds = 0;  // records x log period
    std::array<SeriesStatistics, kSeriesCount> series;
    int unreadableRecords = 0;  // concentration that could not be read

    // Time-weighted figures; kNoFigure with a log period of 0.
    double twa8h = kNoFigure;
    double twa8hStart = kNoFigure;  // the window the 8-hour TWA is taken over
    double twa8hEnd = kNoFigure;
    bool shorterThan8h = false;
    bool longerThan8h = false;
    double twaOwnDuration = kNoFigure;

    double shortTermAverage = kNoFigure;  // the highest 15-minute average
    double shortTermStart = kNoFigure;
    double shortTermEnd = kNoFigure;
    int shortTermRecords = 0;  // records in the window
    bool shorterThan15min = false;

    AlarmMode alarmMode = AlarmMode::Off;
    QString alarmText;  // the header's alarm value as it stands
    double alarmLevel = kNoFigure;
    bool alarmEvaluated = false;  // alarm on and its level readable
    int recordsAboveAlarm = 0;
    long long secondsAboveAlarm = 0;

    // Plain sentences on how the figures were taken (short or long tag, gaps).
    QStringList notes;
};

// The summary of the whole tag.
ExposureSummary summarizeExposure(QByteArrayView tagText);

// The summary of the records whose times lie in [firstTime, lastTime] (days
// since 30 December 1899, half a second either side allowed): a zoomed chart's
// visible range. Durations, windows and notes refer to those records alone.
ExposureSummary summarizeExposure(QByteArrayView tagText, double firstTime, double lastTime);

// A time as "yyyy-MM-dd hh:mm:ss" (whole seconds); empty for kNoFigure.
QString exposureTimeText(double day);

// A duration as "2 h 30 min", "12 h", "10 min", "45 s".
QString exposureDurationText(long long seconds);

// The summary as plain text for copying: the tag's unit, numbers with a full
// stop, times as "yyyy-MM-dd hh:mm:ss", one figure a line.
QString exposureSummaryText(const ExposureSummary& summary);

}  // namespace nesmo
