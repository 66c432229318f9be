#include "files/exposure.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <vector>

#include "files/tag_reader.h"

namespace nesmo {

namespace {

constexpr long long kEightHours = 8 * 3600;
constexpr long long kFifteenMinutes = 15 * 60;
constexpr long long kDay = 86400;
constexpr double kSecondsPerDay = 86400.0;
// A concentration no instrument reading comes near, as on the graph.
constexpr double kLargestReading = 1e12;

// The concentration of the summarised records as a step in time, seconds
// counted from the cover start: record i holds from i x P to (i + 1) x P.
class Timeline {
public:
    Timeline(const std::vector<double>& concentration, long long period)
        : p_(period), n_(static_cast<long long>(concentration.size()))
    {
        level_.reserve(concentration.size());
        dose_.assign(concentration.size() + 1, 0.0);
        sampled_.assign(concentration.size() + 1, 0);
        for (size_t i = 0; i < concentration.size(); ++i) {
            const bool readable = !std::isnan(concentration[i]);
            level_.push_back(readable ? concentration[i] : 0.0);
            dose_[i + 1] = dose_[i] + level_[i] * static_cast<double>(p_);
            sampled_[i + 1] = sampled_[i] + (readable ? p_ : 0);
            readable_.push_back(readable);
        }
    }

    long long end() const { return n_ * p_; }
    long long period() const { return p_; }
    long long records() const { return n_; }
    double level(long long i) const { return level_[static_cast<size_t>(i)]; }
    bool readable(long long i) const { return readable_[static_cast<size_t>(i)]; }

    // The dose and the sampled seconds from the start to x; nothing outside the tag.
    double doseTo(long long x) const
    {
        if (x <= 0) return 0;
        if (x >= end()) return dose_.back();
        const auto k = static_cast<size_t>(x / p_);
        return dose_[k] + level_[k] * static_cast<double>(x % p_);
    }
    long long sampledTo(long long x) const
    {
        if (x <= 0) return 0;
        if (x >= end()) return sampled_.back();
        const auto k = static_cast<size_t>(x / p_);
        return sampled_[k] + (readable_[k] ? x % p_ : 0);
    }

    // The window [from, from + width): its dose over `width`, and over its sampled time.
    WindowAverage window(long long from, long long width, double coverStart) const
    {
        WindowAverage w;
        const double dose = doseTo(from + width) - doseTo(from);
        w.windowSeconds = width;
        w.coveredSeconds = std::min(from + width, end()) - std::max(from, 0LL);
        w.sampledSeconds = sampledTo(from + width) - sampledTo(from);
        w.average = dose / static_cast<double>(width);
        if (w.sampledSeconds > 0) w.sampledAverage = dose / static_cast<double>(w.sampledSeconds);
        w.start = coverStart + static_cast<double>(from) / kSecondsPerDay;
        w.end = coverStart + static_cast<double>(std::min(from + width, end())) / kSecondsPerDay;
        return w;
    }

    // The highest window of `width` seconds inside the tag (the earliest of
    // equal ones); a tag shorter than `width` is one window from its start.
    WindowAverage highest(long long width, double coverStart) const
    {
        if (end() <= width) return window(0, width, coverStart);
        long long bestFrom = -1;
        double best = 0;
        const auto consider = [&](long long from) {
            const double dose = doseTo(from + width) - doseTo(from);
            if (bestFrom < 0) {
                best = dose;
                bestFrom = from;
                return;
            }
            // Doses that differ by a rounding error are equal: the earlier wins.
            const double margin = 1e-9 * std::max(std::fabs(best), std::fabs(dose)) + 1e-12;
            if (dose > best + margin || (dose > best - margin && from < bestFrom)) {
                best = std::max(best, dose);
                bestFrom = from;
            }
        };
        for (long long k = 0; k <= n_; ++k) {
            if (k * p_ + width <= end()) consider(k * p_);
            if (k * p_ - width >= 0) consider(k * p_ - width);
        }
        return window(bestFrom, width, coverStart);
    }

    // How long the average over the `width` seconds before each moment of the
    // tag was above `limit` (the time before the tag counts as unsampled). The
    // average changes linearly between the moments where the window's start or
    // end meets a record boundary, so the crossings between them are exact.
    double secondsAbove(long long width, double limit) const
    {
        const auto excess = [&](long long x) {
            return (doseTo(x) - doseTo(x - width)) / static_cast<double>(width) - limit;
        };
        double total = 0;
        long long from = 0;
        double a = excess(0);
        long long i = 1;
        long long j = 0;  // the next boundary k x P + width
        while (from < end()) {
            while (j * p_ + width <= from)
                ++j;
            const long long to = std::min({i * p_, j * p_ + width, end()});
            const double b = excess(to);
            const double span = static_cast<double>(to - from);
            if (a > 0 && b > 0)
                total += span;
            else if (a > 0)
                total += span * a / (a - b);
            else if (b > 0)
                total += span * b / (b - a);
            from = to;
            a = b;
            if (to == i * p_) ++i;
        }
        return total;
    }

private:
    long long p_;
    long long n_;
    std::vector<double> level_;  // 0 for an unreadable record
    std::vector<bool> readable_;
    std::vector<double> dose_;        // before record k
    std::vector<long long> sampled_;  // before record k
};

SeriesStatistics statisticsOf(const std::vector<double>& values, const std::vector<double>& times)
{
    SeriesStatistics s;
    std::vector<double> readable;
    readable.reserve(values.size());
    double sum = 0;
    for (size_t i = 0; i < values.size(); ++i) {
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

QString recordsText(int n)
{
    return n == 1 ? QStringLiteral("1 record") : QStringLiteral("%1 records").arg(n);
}

// One 8-hour TWA per calendar day: each record's dose shared among the days
// its time falls into.
QList<DailyTwa> dailyTwa(const Timeline& t, double coverStart)
{
    struct Day {
        double dose = 0;
        long long covered = 0, sampled = 0;
    };
    const long long start = std::llround(coverStart * kSecondsPerDay);
    const long long firstDay = start / kDay;
    std::vector<Day> days;
    for (long long i = 0; i < t.records(); ++i) {
        long long a = start + i * t.period();
        const long long b = a + t.period();
        while (a < b) {
            const auto d = static_cast<size_t>(a / kDay - firstDay);
            if (d >= days.size()) days.resize(d + 1);
            const long long part = std::min(b, (a / kDay + 1) * kDay) - a;
            days[d].covered += part;
            if (t.readable(i)) {
                days[d].dose += t.level(i) * static_cast<double>(part);
                days[d].sampled += part;
            }
            a += part;
        }
    }
    QList<DailyTwa> out;
    const long long end = start + t.end();
    for (size_t d = 0; d < days.size(); ++d) {
        const long long dayStart = (firstDay + static_cast<long long>(d)) * kDay;
        DailyTwa day;
        day.day = exposureTimeText(static_cast<double>(dayStart) / kSecondsPerDay).left(10);
        day.twa.coveredSeconds = days[d].covered;
        day.twa.windowSeconds = kEightHours;
        day.twa.sampledSeconds = days[d].sampled;
        day.twa.average = days[d].dose / static_cast<double>(kEightHours);
        if (days[d].sampled > 0)
            day.twa.sampledAverage = days[d].dose / static_cast<double>(days[d].sampled);
        day.twa.start = static_cast<double>(std::max(dayStart, start)) / kSecondsPerDay;
        day.twa.end = static_cast<double>(std::min(dayStart + kDay, end)) / kSecondsPerDay;
        out << day;
    }
    return out;
}

void addTimeWeighted(ExposureSummary& s, const Timeline& t)
{
    const QString covered = exposureDurationText(s.durationSeconds);
    s.ownDuration = t.window(0, t.end(), s.coverStart);

    if (s.durationSeconds > kDay) {
        s.twaBasis = TwaBasis::HighestDay;
        s.dailyTwa = dailyTwa(t, s.coverStart);
        const auto highest = std::max_element(
            s.dailyTwa.begin(), s.dailyTwa.end(),
            [](const DailyTwa& a, const DailyTwa& b) { return a.twa.average < b.twa.average; });
        s.twa8h = highest->twa;
        s.notes << QStringLiteral(
                       "The tag covers %1, more than a day: each calendar day of the "
                       "instrument's clock has its 8-hour TWA (that day's dose over 8 "
                       "hours); the headline is the highest, %2.")
                       .arg(covered, highest->day);
    } else {
        s.twaBasis = s.durationSeconds > kEightHours ? TwaBasis::ExtendedShift : TwaBasis::WholeTag;
        // The whole tag's dose, however long, over 8 hours.
        s.twa8h = s.ownDuration;
        s.twa8h.average = t.doseTo(t.end()) / static_cast<double>(kEightHours);
        s.twa8h.windowSeconds = kEightHours;
        if (s.durationSeconds < kEightHours)
            s.notes << QStringLiteral(
                           "The tag covers %1; unsampled time counts as zero in the 8-hour TWA.")
                           .arg(covered);
        else if (s.durationSeconds > kEightHours)
            s.notes << QStringLiteral(
                           "The tag covers %1, more than 8 hours: the 8-hour TWA is the whole "
                           "tag's dose over 8 hours, as for an extended shift.")
                           .arg(covered);
    }
    if (s.durationSeconds > kEightHours) s.rolling8h = t.highest(kEightHours, s.coverStart);

    if (s.unreadableRecords > 0) {
        const QString unreadable =
            QStringLiteral("%1 (%2) unreadable")
                .arg(recordsText(s.unreadableRecords),
                     exposureDurationText(static_cast<long long>(s.unreadableRecords) *
                                          s.periodSeconds));
        if (s.twaBasis == TwaBasis::HighestDay)
            s.notes << QStringLiteral(
                           "%1 in the tag; the highest day's 8-hour TWA rests on %2 of "
                           "samples of the %3 it covers.")
                           .arg(unreadable, exposureDurationText(s.twa8h.sampledSeconds),
                                exposureDurationText(s.twa8h.coveredSeconds));
        else
            s.notes << QStringLiteral("%1: the 8-hour TWA rests on %2 of samples.")
                           .arg(unreadable, exposureDurationText(s.twa8h.sampledSeconds));
        s.notes << QStringLiteral(
            "Unreadable records are left out of every figure: their time counts as "
            "unsampled, like the time outside the tag. Each average is also given over "
            "the sampled time, from which it can be extrapolated.");
    }

    s.shortTerm = t.highest(kFifteenMinutes, s.coverStart);
    if (s.durationSeconds < kFifteenMinutes) {
        s.shorterThan15min = true;
        s.notes << QStringLiteral(
                       "The tag covers %1, less than 15 minutes: the short-term average "
                       "counts the %2 after it as unsampled.")
                       .arg(covered, exposureDurationText(kFifteenMinutes - s.durationSeconds));
    } else if (s.periodSeconds >= kFifteenMinutes) {
        s.notes << QStringLiteral(
            "The log period is 15 minutes or longer; the short-term figure is the "
            "highest single record.");
    } else if (kFifteenMinutes % s.periodSeconds != 0) {
        s.notes << QStringLiteral(
                       "The log period of %1 does not divide 15 minutes: a record at either "
                       "end of the short-term window counts for the part of its time inside.")
                       .arg(exposureDurationText(s.periodSeconds));
    }
}

void addAlarm(ExposureSummary& s, const TagAlarm& alarm, const std::vector<double>& c,
              const Timeline* t)
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
    for (const double v : c)
        if (v > alarm.level) ++s.recordsAboveAlarm;
    if (s.alarmMode == AlarmMode::Stel && t) {
        s.secondsAboveAlarm = t->secondsAbove(kFifteenMinutes, alarm.level);
        s.notes << QStringLiteral(
            "With the alarm mode STEL, the time above the alarm level is the time the "
            "15-minute average was above it.");
    } else {
        s.secondsAboveAlarm = static_cast<double>(s.recordsAboveAlarm) * s.periodSeconds;
    }
}

ExposureSummary summarize(QByteArrayView text, bool ranged, double firstTime, double lastTime)
{
    ExposureSummary s;
    // The graph's reading of the header and the record times; the values are
    // read here, field by field.
    GraphOptions none;
    none.shown = {false, false, false, false};
    const GraphData g = buildGraphData(text, none, 0);
    if (!g.error.isEmpty()) {
        s.error = g.error;
        return s;
    }
    s.unit = QString::fromLatin1(concentrationUnit(g.header));
    s.temperatureUnit = QString(QChar(0xB0)) + QChar::fromLatin1(g.header.TempUnits);
    s.announcedRecords = g.header.NumberOfRecords;
    const QList<QByteArrayView> lines = recordLines(text, g.header.NumberOfRecords);
    const qsizetype lineCount = std::min(lines.size(), g.times.size());
    s.recordLines = static_cast<int>(lineCount);
    s.missingRecords = std::max(0, s.announcedRecords - s.recordLines);
    s.periodSeconds = g.periodSeconds;

    // The file's own record times, and the fields read one by one.
    const double delay = g.drawingDelaySeconds / kSecondsPerDay;
    const double slack = 0.5 / kSecondsPerDay;
    std::vector<double> times;
    std::array<std::vector<double>, kSeriesCount> values;
    for (qsizetype i = 0; i < lineCount; ++i) {
        const double time = g.times[i] - delay;
        if (ranged && (time < firstTime - slack || time > lastTime + slack)) continue;
        times.push_back(time);
        const std::array<QByteArrayView, 4> fields = recordFields(lines[i]);
        for (int k = 0; k < kSeriesCount; ++k) {
            const double v = numberField(fields[static_cast<size_t>(k)]);
            values[k].push_back(std::fabs(v) <= kLargestReading ? v : kNoFigure);
        }
    }
    const auto n = static_cast<qsizetype>(times.size());
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
    s.firstTime = times.front();
    s.lastTime = times.back();
    s.coverStart = s.firstTime - s.periodSeconds / kSecondsPerDay;
    s.durationSeconds = static_cast<long long>(n) * std::max(0, s.periodSeconds);
    for (int k = 0; k < kSeriesCount; ++k)
        s.series[k] = statisticsOf(values[k], times);
    s.unreadableRecords = static_cast<int>(n) - s.series[SeriesData].count;
    s.sampledSeconds = static_cast<long long>(s.series[SeriesData].count) * s.periodSeconds;

    if (s.periodSeconds > 0) {
        const Timeline timeline(values[SeriesData], s.periodSeconds);
        addTimeWeighted(s, timeline);
        addAlarm(s, g.header.alarm, values[SeriesData], &timeline);
    } else {
        s.notes << QStringLiteral(
                       "The log period is %1, so the records cannot be told apart "
                       "in time; no time-weighted figures are given.")
                       .arg(QString::fromLatin1(g.header.LogPeriodText));
        addAlarm(s, g.header.alarm, values[SeriesData], nullptr);
    }
    return s;
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
    if (seconds >= kDay) parts << QStringLiteral("%1 d").arg(seconds / kDay);
    if (seconds % kDay >= 3600) parts << QStringLiteral("%1 h").arg(seconds % kDay / 3600);
    if (seconds % 3600 >= 60) parts << QStringLiteral("%1 min").arg(seconds % 3600 / 60);
    if (seconds % 60 != 0 || parts.isEmpty()) parts << QStringLiteral("%1 s").arg(seconds % 60);
    return parts.join(QLatin1Char(' '));
}

ExposureLayout exposureLayout(const ExposureSummary& s, const QLocale& locale)
{
    ExposureLayout out;
    if (!s.error.isEmpty()) {
        out.notes << QStringLiteral("No exposure summary: %1").arg(s.error);
        return out;
    }
    const auto number = [&](double v, int decimals) {
        return std::isnan(v) ? QStringLiteral("-") : locale.toString(v, 'f', decimals);
    };
    const auto amount = [&](double v) { return number(v, 4) + QLatin1Char(' ') + s.unit; };
    const auto span = [](double from, double to) {
        return QStringLiteral("%1 to %2").arg(exposureTimeText(from), exposureTimeText(to));
    };
    // Beside an average with unsampled time in its window: the average over the sampled time.
    const auto sampled = [&](const WindowAverage& w) {
        if (w.sampledSeconds == 0 || w.sampledSeconds >= w.coveredSeconds) return QString();
        return QStringLiteral("; %1 over the %2 sampled")
            .arg(amount(w.sampledAverage), exposureDurationText(w.sampledSeconds));
    };
    const auto againstAlarm = [&](double v) {
        if (!s.alarmEvaluated || std::isnan(v)) return QString();
        return QStringLiteral("; %1 the alarm level").arg(v > s.alarmLevel ? "above" : "not above");
    };

    out.facts << QStringLiteral("Records: %1 (header announces %2), log period %3")
                     .arg(s.records)
                     .arg(s.announcedRecords)
                     .arg(exposureDurationText(s.periodSeconds));
    if (s.records > 0)
        out.facts << QStringLiteral("Covers: %1 (%2)")
                         .arg(span(s.coverStart, s.lastTime),
                              exposureDurationText(s.durationSeconds));
    out.facts << QStringLiteral("Unreadable records: %1").arg(s.unreadableRecords);

    if (!std::isnan(s.twa8h.average)) {
        static const char* const kBasis[] = {"the whole tag's dose over 8 h",
                                             "the whole tag's dose over 8 h (extended shift)",
                                             "the highest day's dose over 8 h"};
        out.headline << ExposureFigure{
            QStringLiteral("8-hour TWA"), amount(s.twa8h.average),
            QStringLiteral("%1, %2%3%4")
                .arg(QString::fromLatin1(kBasis[static_cast<int>(s.twaBasis)]),
                     span(s.twa8h.start, s.twa8h.end), sampled(s.twa8h),
                     againstAlarm(s.twa8h.average))};
    }
    if (!s.dailyTwa.isEmpty()) {
        out.dailyHeader =
            QStringList{QStringLiteral("Day"), QStringLiteral("8-hour TWA [%1]").arg(s.unit),
                        QStringLiteral("Covers"), QStringLiteral("Sampled"),
                        QStringLiteral("Average over the sampled time [%1]").arg(s.unit)};
        for (const DailyTwa& d : s.dailyTwa)
            out.daily << QStringList{
                d.day, number(d.twa.average, 4), exposureDurationText(d.twa.coveredSeconds),
                exposureDurationText(d.twa.sampledSeconds), number(d.twa.sampledAverage, 4)};
    }
    if (!std::isnan(s.rolling8h.average))
        out.headline << ExposureFigure{
            QStringLiteral("Highest 8-hour rolling average"), amount(s.rolling8h.average),
            span(s.rolling8h.start, s.rolling8h.end) + sampled(s.rolling8h) +
                againstAlarm(s.rolling8h.average)};
    if (!std::isnan(s.shortTerm.average)) {
        QString detail = span(s.shortTerm.start, s.shortTerm.end);
        if (s.shorterThan15min)
            detail += QStringLiteral("; the tag is shorter than 15 minutes");
        else if (s.periodSeconds >= kFifteenMinutes)
            detail += QStringLiteral("; the highest single record");
        out.headline << ExposureFigure{
            QStringLiteral("Highest 15-minute average"), amount(s.shortTerm.average),
            detail + sampled(s.shortTerm) + againstAlarm(s.shortTerm.average)};
    }
    const SeriesStatistics& c = s.series[SeriesData];
    if (c.count > 0)
        out.headline << ExposureFigure{
            QStringLiteral("Peak"), number(c.maximum, 3) + QLatin1Char(' ') + s.unit,
            QStringLiteral("at %1%2").arg(exposureTimeText(c.maximumTime),
                                          againstAlarm(c.maximum))};
    if (s.alarmEvaluated) {
        const QString level = number(s.alarmLevel, 3) + QLatin1Char(' ') + s.unit;
        out.headline << ExposureFigure{
            QStringLiteral("Time above the alarm level"),
            exposureDurationText(std::llround(s.secondsAboveAlarm)),
            s.alarmMode == AlarmMode::Stel
                ? QStringLiteral("alarm %1 at %2, on the 15-minute average").arg(s.alarmText, level)
                : QStringLiteral("alarm %1 at %2, %3 above it")
                      .arg(s.alarmText, level, recordsText(s.recordsAboveAlarm))};
    } else {
        out.headline << ExposureFigure{
            QStringLiteral("Time above the alarm level"), QStringLiteral("-"),
            QStringLiteral("alarm %1")
                .arg(s.alarmText.isEmpty() ? QStringLiteral("OFF") : s.alarmText)};
    }
    if (!std::isnan(s.ownDuration.average))
        out.headline << ExposureFigure{
            QStringLiteral("Average over the tag's %1")
                .arg(exposureDurationText(s.durationSeconds)),
            amount(s.ownDuration.average),
            span(s.ownDuration.start, s.ownDuration.end) + sampled(s.ownDuration)};

    out.tableHeader =
        QStringList{QStringLiteral("Series"), QStringLiteral("Values"),  QStringLiteral("Minimum"),
                    QStringLiteral("At"),     QStringLiteral("Maximum"), QStringLiteral("At"),
                    QStringLiteral("Mean"),   QStringLiteral("Median")};
    const QString names[kSeriesCount] = {QStringLiteral("Concentration [%1]").arg(s.unit),
                                         QStringLiteral("Temperature [%1]").arg(s.temperatureUnit),
                                         QStringLiteral("RH [%]"),
                                         QStringLiteral("Pressure [mmHg]")};
    const int decimals[kSeriesCount] = {3, 1, 0, 0};
    if (s.records > 0)
        for (int k = 0; k < kSeriesCount; ++k) {
            const SeriesStatistics& v = s.series[k];
            out.table << QStringList{names[k],
                                     QString::number(v.count),
                                     number(v.minimum, decimals[k]),
                                     exposureTimeText(v.minimumTime),
                                     number(v.maximum, decimals[k]),
                                     exposureTimeText(v.maximumTime),
                                     number(v.mean, decimals[k] + 1),
                                     number(v.median, decimals[k] + 1)};
        }
    out.notes = s.notes;
    return out;
}

QString exposureSummaryText(const ExposureSummary& s)
{
    const ExposureLayout layout = exposureLayout(s, QLocale::c());
    QStringList lines;
    for (const ExposureFigure& f : layout.headline)
        lines << QStringLiteral("%1: %2 (%3)").arg(f.name, f.value, f.detail);
    if (!layout.headline.isEmpty()) lines << QString();
    if (!layout.daily.isEmpty()) {
        lines << QStringLiteral("8-hour TWA per day:")
              << layout.dailyHeader.join(QLatin1Char('\t'));
        for (const QStringList& row : layout.daily)
            lines << row.join(QLatin1Char('\t'));
        lines << QString();
    }
    lines << layout.facts;
    if (!layout.table.isEmpty()) {
        lines << QString() << layout.tableHeader.join(QLatin1Char('\t'));
        for (const QStringList& row : layout.table)
            lines << row.join(QLatin1Char('\t'));
    }
    if (!layout.notes.isEmpty()) {
        lines << QString() << QStringLiteral("Notes:");
        lines << layout.notes;
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

}  // namespace nesmo
