#include "logged_data/exposure.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <vector>

#include "logged_data/tag_reader.h"

namespace nesmo {

namespace {

constexpr int kEightHours = 8 * 3600;
constexpr int kFifteenMinutes = 15 * 60;
constexpr double kSecondsPerDay = 86400.0;
// Window sums that differ by less than this share are equal (the earliest wins).
constexpr double kEqualShare = 1e-9;

SeriesStatistics statisticsOf(const QList<double>& values, const QList<double>& times,
                              qsizetype from, qsizetype to)
{
    SeriesStatistics s;
    std::vector<double> readable;
    readable.reserve(static_cast<size_t>(to - from));
    double sum = 0;
    for (qsizetype i = from; i < to; ++i) {
        const double v = values[i];
        if (std::isnan(v)) continue;
        if (readable.empty() || v < s.minimum) {
            s.minimum = v;
            s.minimumTime = times[i];
        }
        if (readable.empty() || v > s.maximum) {
            s.maximum = v;
            s.maximumTime = times[i];
        }
        sum += v;
        readable.push_back(v);
    }
    s.count = static_cast<int>(readable.size());
    if (readable.empty()) return s;
    s.mean = sum / s.count;
    const auto middle = readable.begin() + s.count / 2;
    std::nth_element(readable.begin(), middle, readable.end());
    s.median = *middle;
    if (s.count % 2 == 0) s.median = (s.median + *std::max_element(readable.begin(), middle)) / 2;
    return s;
}

// The highest window of `width` consecutive records by `better`'s measure of
// (sum, readable count); returns the window's first index, -1 when none counts.
template <typename Measure>
qsizetype bestWindow(const std::vector<double>& sums, const std::vector<int>& counts,
                     qsizetype width, Measure measure, double* best)
{
    qsizetype at = -1;
    for (qsizetype i = 0; i + width < static_cast<qsizetype>(sums.size()); ++i) {
        const int n = counts[i + width] - counts[i];
        if (n == 0) continue;
        const double m = measure(sums[i + width] - sums[i], n);
        if (at < 0 || m > *best + kEqualShare * std::fabs(*best)) {
            *best = m;
            at = i;
        }
    }
    return at;
}

void addTimeWeighted(ExposureSummary& s, const QList<double>& c, const QList<double>& times,
                     qsizetype from, qsizetype to)
{
    const qsizetype n = to - from;
    const int p = s.periodSeconds;
    const double periodDays = p / kSecondsPerDay;
    // Running sums of the readable concentrations and their count.
    std::vector<double> sums(static_cast<size_t>(n) + 1, 0.0);
    std::vector<int> counts(static_cast<size_t>(n) + 1, 0);
    for (qsizetype i = 0; i < n; ++i) {
        const double v = c[from + i];
        const bool ok = !std::isnan(v);
        sums[i + 1] = sums[i] + (ok ? v : 0.0);
        counts[i + 1] = counts[i] + (ok ? 1 : 0);
    }
    const QString covered = exposureDurationText(s.durationSeconds);
    if (counts[n] > 0) s.twaOwnDuration = sums[n] / counts[n];

    // 8 hours: the whole tag, or its worst window of K records.
    const qsizetype k = std::max(1, kEightHours / p);
    if (n <= k) {
        s.twa8h = sums[n] * p / kEightHours;
        s.twa8hStart = s.coverStart;
        s.twa8hEnd = s.lastTime;
        s.shorterThan8h = s.durationSeconds < kEightHours;
        if (s.shorterThan8h)
            s.notes << QStringLiteral(
                           "The tag covers %1; unsampled time counts as zero in the 8-hour TWA.")
                           .arg(covered);
    } else {
        double best = 0;
        const qsizetype at = bestWindow(
            sums, counts, k, [&](double sum, int) { return sum * p / kEightHours; }, &best);
        s.longerThan8h = true;
        if (at >= 0) {
            s.twa8h = best;
            s.twa8hStart = times[from + at] - periodDays;
            s.twa8hEnd = times[from + at + k - 1];
        }
        s.notes << QStringLiteral(
                       "The tag covers %1; the 8-hour TWA is that of its highest "
                       "8-hour window, from %2 to %3.")
                       .arg(covered, exposureTimeText(s.twa8hStart), exposureTimeText(s.twa8hEnd));
    }
    if (s.unreadableRecords > 0)
        s.notes << QStringLiteral("Unreadable records count as zero in the 8-hour TWA.");

    // 15 minutes: the whole tag when it is shorter, else the highest window of W.
    const qsizetype w = std::max(1, kFifteenMinutes / p);
    if (s.durationSeconds < kFifteenMinutes) {
        s.shorterThan15min = true;
        s.shortTermAverage = s.twaOwnDuration;
        s.shortTermStart = s.coverStart;
        s.shortTermEnd = s.lastTime;
        s.shortTermRecords = static_cast<int>(n);
        s.notes << QStringLiteral(
                       "The tag covers %1, less than 15 minutes; the short-term "
                       "figure is the average over the whole tag.")
                       .arg(covered);
        return;
    }
    double best = 0;
    const qsizetype at = bestWindow(
        sums, counts, w, [](double sum, int count) { return sum / count; }, &best);
    if (at >= 0) {
        s.shortTermAverage = best;
        s.shortTermStart = times[from + at] - periodDays;
        s.shortTermEnd = times[from + at + w - 1];
        s.shortTermRecords = static_cast<int>(w);
    }
    if (p > kFifteenMinutes)
        s.notes << QStringLiteral(
            "The log period is longer than 15 minutes; the short-term "
            "figure is the highest single record.");
}

void addAlarm(ExposureSummary& s, const TagAlarm& alarm, const QList<double>& c, qsizetype from,
              qsizetype to)
{
    s.alarmText = QString::fromLatin1(alarm.setting);
    const QByteArray upper = alarm.setting.toUpper();
    if (!alarm.on)
        s.alarmMode = AlarmMode::Off;
    else if (upper == "INSTANT" || upper == "ON")
        s.alarmMode = AlarmMode::Instant;
    else if (upper == "STEL")
        s.alarmMode = AlarmMode::Stel;
    else
        s.alarmMode = AlarmMode::Other;
    if (s.alarmMode == AlarmMode::Off) return;

    if (!alarm.levelRead) {
        s.notes << QStringLiteral("The alarm level cannot be read; no time above it is given.");
        return;
    }
    if (s.alarmMode == AlarmMode::Other)
        s.notes << QStringLiteral("The alarm setting \"%1\" is not known; it is taken as on.")
                       .arg(s.alarmText);
    s.alarmLevel = alarm.level;
    s.alarmEvaluated = true;
    for (qsizetype i = from; i < to; ++i)
        if (c[i] > alarm.level) ++s.recordsAboveAlarm;
    s.secondsAboveAlarm = static_cast<long long>(s.recordsAboveAlarm) * s.periodSeconds;
}

ExposureSummary summarize(QByteArrayView text, bool ranged, double firstTime, double lastTime)
{
    ExposureSummary s;
    const GraphData g = buildGraphData(text, GraphOptions(), 0);
    if (!g.error.isEmpty()) {
        s.error = g.error;
        return s;
    }
    s.unit = g.seriesTitles[SeriesData];
    s.temperatureUnit = QString(QChar(0xB0)) + QChar::fromLatin1(g.header.TempUnits);
    s.announcedRecords = g.header.NumberOfRecords;
    s.recordLines = static_cast<int>(g.times.size());
    s.missingRecords = std::max(0, s.announcedRecords - s.recordLines);
    const QByteArray period = g.header.LogPeriodText;
    s.periodSeconds =
        period.mid(0, 2).toInt() * 3600 + period.mid(3, 2).toInt() * 60 + period.mid(6, 2).toInt();

    qsizetype from = 0;
    qsizetype to = g.times.size();
    if (ranged) {
        // The record times rise with the records: the range is one run of them.
        const double slack = 0.5 / kSecondsPerDay;
        from =
            std::lower_bound(g.times.begin(), g.times.end(), firstTime - slack) - g.times.begin();
        to = std::upper_bound(g.times.begin(), g.times.end(), lastTime + slack) - g.times.begin();
        to = std::max(from, to);
    }
    const qsizetype n = to - from;
    s.records = static_cast<int>(n);
    if (s.missingRecords > 0)
        s.notes << QStringLiteral(
                       "The header announces %1 records, but the text holds %2; the "
                       "time of the missing %3 is not in the tag.")
                       .arg(s.announcedRecords)
                       .arg(s.recordLines)
                       .arg(s.missingRecords);
    if (n == 0) {
        s.notes << QStringLiteral("There are no records to summarise.");
        return s;
    }
    s.firstTime = g.times[from];
    s.lastTime = g.times[to - 1];
    s.coverStart = s.firstTime - s.periodSeconds / kSecondsPerDay;
    s.durationSeconds = static_cast<long long>(n) * std::max(0, s.periodSeconds);
    for (int k = 0; k < kSeriesCount; ++k)
        s.series[k] = statisticsOf(g.values[k], g.times, from, to);
    s.unreadableRecords = static_cast<int>(n) - s.series[SeriesData].count;

    if (s.periodSeconds > 0)
        addTimeWeighted(s, g.values[SeriesData], g.times, from, to);
    else
        s.notes << QStringLiteral(
                       "The log period is %1, so the records cannot be told apart "
                       "in time; no time-weighted figures are given.")
                       .arg(QString::fromLatin1(period));
    addAlarm(s, g.header.alarm, g.values[SeriesData], from, to);
    return s;
}

QString number(double v, int decimals)
{
    return std::isnan(v) ? QStringLiteral("-") : QString::number(v, 'f', decimals);
}

QString seriesLine(const QString& name, const SeriesStatistics& s, int decimals)
{
    if (s.count == 0) return QStringLiteral("%1: no readable values").arg(name);
    return QStringLiteral("%1: %2 values, minimum %3 at %4, maximum %5 at %6, mean %7, median %8")
        .arg(name, QString::number(s.count), number(s.minimum, decimals),
             exposureTimeText(s.minimumTime), number(s.maximum, decimals),
             exposureTimeText(s.maximumTime), number(s.mean, decimals + 1),
             number(s.median, decimals + 1));
}

}  // namespace

ExposureSummary summarizeExposure(QByteArrayView tagText)
{
    return summarize(tagText, false, 0, 0);
}

ExposureSummary summarizeExposure(QByteArrayView tagText, double firstTime, double lastTime)
{
    return summarize(tagText, true, firstTime, lastTime);
}

QString exposureTimeText(double day)
{
    if (!std::isfinite(day)) return {};
    // Day 25569 is 1 January 1970.
    const qint64 seconds = std::llround((day - 25569.0) * kSecondsPerDay);
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC)
        .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString exposureDurationText(long long seconds)
{
    QStringList parts;
    if (seconds >= 3600) parts << QStringLiteral("%1 h").arg(seconds / 3600);
    if (seconds % 3600 >= 60) parts << QStringLiteral("%1 min").arg(seconds % 3600 / 60);
    if (seconds % 60 != 0 || parts.isEmpty()) parts << QStringLiteral("%1 s").arg(seconds % 60);
    return parts.join(QLatin1Char(' '));
}

QString exposureSummaryText(const ExposureSummary& s)
{
    if (!s.error.isEmpty()) return QStringLiteral("No exposure summary: %1\n").arg(s.error);
    QStringList lines;
    const QString unit = s.unit;
    lines << QStringLiteral("Records: %1 (header announces %2), log period %3")
                 .arg(s.records)
                 .arg(s.announcedRecords)
                 .arg(exposureDurationText(s.periodSeconds));
    if (s.records > 0) {
        lines << QStringLiteral("Covers: %1 to %2 (%3)")
                     .arg(exposureTimeText(s.coverStart), exposureTimeText(s.lastTime),
                          exposureDurationText(s.durationSeconds));
        lines << QStringLiteral("Unreadable records: %1").arg(s.unreadableRecords);
        lines << seriesLine(QStringLiteral("Concentration [%1]").arg(unit), s.series[SeriesData],
                            3);
        lines << seriesLine(QStringLiteral("Temperature [%1]").arg(s.temperatureUnit),
                            s.series[SeriesTemp], 1);
        lines << seriesLine(QStringLiteral("RH [%]"), s.series[SeriesHumidity], 0);
        lines << seriesLine(QStringLiteral("Pressure [mmHg]"), s.series[SeriesPressure], 0);
        if (!std::isnan(s.twa8h))
            lines << QStringLiteral("8-hour TWA: %1 %2 (%3 to %4)")
                         .arg(number(s.twa8h, 4), unit, exposureTimeText(s.twa8hStart),
                              exposureTimeText(s.twa8hEnd));
        if (!std::isnan(s.twaOwnDuration))
            lines << QStringLiteral("TWA over the tag's %1: %2 %3")
                         .arg(exposureDurationText(s.durationSeconds), number(s.twaOwnDuration, 4),
                              unit);
        if (!std::isnan(s.shortTermAverage))
            lines << QStringLiteral("%1: %2 %3 (%4 to %5)")
                         .arg(s.shorterThan15min ? QStringLiteral("Average over the whole tag")
                                                 : QStringLiteral("Highest 15-minute average"),
                              number(s.shortTermAverage, 4), unit,
                              exposureTimeText(s.shortTermStart), exposureTimeText(s.shortTermEnd));
    }
    if (s.alarmEvaluated)
        lines << QStringLiteral("Alarm %1 at %2 %3: %4 records above, %5")
                     .arg(s.alarmText, number(s.alarmLevel, 3), unit,
                          QString::number(s.recordsAboveAlarm),
                          exposureDurationText(s.secondsAboveAlarm));
    else
        lines << QStringLiteral("Alarm: %1")
                     .arg(s.alarmText.isEmpty() ? QStringLiteral("OFF") : s.alarmText);
    lines << s.notes;
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

}  // namespace nesmo
