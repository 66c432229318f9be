#pragma once

// The exposure summary of a tag, as an occupational hygienist takes the figures:
// per series the count, extremes, mean and median; for the concentration the
// 8-hour time-weighted average, the highest rolling 8-hour and 15-minute
// averages, the peak and the time above the alarm level. Widget-free.
//
// How the figures are taken (P is the log period):
//  * Record times are the file's own stamps: the header's start plus k periods,
//    the first record at start + P. Every record stands for the P seconds that
//    end at its time, so the concentration is a step in time: N records cover
//    N x P seconds from the start. A gap shows only as fewer record lines than
//    the header announces (missingRecords): the time they would have covered is
//    not in the tag.
//  * The dose is the sum of concentration x time. A concentration that cannot be
//    read (or is beyond any instrument reading, as on the graph) is left out of
//    it: its time is unsampled, like the time outside the tag. Every average is
//    the dose in its window over the window's length, and is also given over
//    the sampled time inside the window, from which a reader can extrapolate.
//  * 8-hour TWA = dose / 8 h. Over the whole tag for a tag of up to 24 hours (a
//    longer one is an extended shift, not its worst 8 hours); for a longer tag,
//    one per calendar day of the instrument's clock, the highest as headline.
//  * Highest rolling averages (15 minutes; 8 hours for a tag longer than that):
//    exact windows of that length anywhere in the tag, a record at either end
//    counting for the part of its time inside. The highest lies where an end of
//    the window meets a record boundary, so those positions are tried; of equal
//    windows the earliest is reported. A tag shorter than 15 minutes is one
//    window, the time after it unsampled.
//  * Time above the alarm level: with "INSTANT" or "ON" (or any text but "OFF",
//    with a note) the records strictly above "ALARM_LEVEL", times P; with
//    "STEL" the time during which the 15-minute average was above it.

#include <QByteArrayView>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <array>
#include <limits>

#include "files/graph_data.h"

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

// An average over a window of time.
struct WindowAverage {
    double average = kNoFigure;         // the dose in the window over its length
    double sampledAverage = kNoFigure;  // the dose over the sampled time in it
    double start = kNoFigure;           // the window
    double end = kNoFigure;
    long long windowSeconds = 0;   // the length the dose is divided by
    long long coveredSeconds = 0;  // the tag's time in the window
    long long sampledSeconds = 0;  // readable records' time in the window
};

// One calendar day of a tag longer than 24 hours.
struct DailyTwa {
    QString day;  // "yyyy-MM-dd"
    // The day's dose over 8 hours; start, end and covered time are the part
    // of the day the tag covers.
    WindowAverage twa;
};

enum class TwaBasis { WholeTag, ExtendedShift, HighestDay };
enum class AlarmMode { Off, Instant, Stel, Other };

struct ExposureSummary {
    // Set when the header's times or date cannot be read; nothing else is then.
    QString error;
    QString unit;             // the concentration unit as the instrument names it
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
    long long sampledSeconds = 0;

    // Time-weighted figures; none (kNoFigure) with a log period of 0.
    TwaBasis twaBasis = TwaBasis::WholeTag;
    WindowAverage twa8h;        // the headline 8-hour TWA
    QList<DailyTwa> dailyTwa;   // a tag longer than 24 hours
    WindowAverage rolling8h;    // a tag longer than 8 hours
    WindowAverage ownDuration;  // over the time summarised
    WindowAverage shortTerm;    // the highest 15-minute average
    bool shorterThan15min = false;

    AlarmMode alarmMode = AlarmMode::Off;
    QString alarmText;  // the header's alarm value as it stands
    double alarmLevel = kNoFigure;
    bool alarmEvaluated = false;  // alarm on and its level readable
    int recordsAboveAlarm = 0;    // single readings above the level
    double secondsAboveAlarm = 0;

    // Plain sentences on how the figures were taken (short or long tag, gaps).
    QStringList notes;
};

// The summary of the whole tag.
ExposureSummary summarizeExposure(QByteArrayView tagText);

// The summary of the records whose file times lie in [firstTime, lastTime]
// (days since 30 December 1899, half a second either side allowed): a zoomed
// chart's visible range. Durations, windows and notes refer to those records.
ExposureSummary summarizeExposure(QByteArrayView tagText, double firstTime, double lastTime);

// A time as "yyyy-MM-dd hh:mm:ss" (whole seconds); empty for kNoFigure.
QString exposureTimeText(double day);

// A duration as "2 d 4 h", "2 h 30 min", "12 h", "10 min", "45 s".
QString exposureDurationText(long long seconds);

// The summary laid out for reading: the headline figures first, the 8-hour
// TWA of each day, then the series statistics as a table. Numbers follow `locale` (the window shows
// the user's; copies and files take QLocale::c(), a full stop).
struct ExposureFigure {
    QString name;    // "8-hour TWA"
    QString value;   // "2.6250 mg/m3"
    QString detail;  // the window it covers, the alarm level it is held against
};
struct ExposureLayout {
    QList<ExposureFigure> headline;
    QStringList dailyHeader;  // a tag longer than 24 hours: one row a day
    QList<QStringList> daily;
    QStringList tableHeader;
    QList<QStringList> table;  // one row a series
    QStringList facts;         // records, period, cover
    QStringList notes;
};
ExposureLayout exposureLayout(const ExposureSummary& summary, const QLocale& locale);

// The summary as plain text for copying: figures one a line, the table as
// tab-separated lines that paste into a spreadsheet, numbers with a full stop.
QString exposureSummaryText(const ExposureSummary& summary);

}  // namespace nesmo
