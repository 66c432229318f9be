#include "files/graph_data.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/conversion.h"

namespace nesmo {

namespace {

// Characters from..to (counted from 1) of a header value, as far as it has them.
QString chars(const QByteArray& value, int from, int to)
{
    return QString::fromLatin1(value.mid(from - 1, to - from + 1));
}

// hh:mm:ss in seconds; a field that is no number stops the build.
int secondsOf(const QByteArray& value)
{
    return strToInt(chars(value, 1, 2)) * 3600 + strToInt(chars(value, 4, 5)) * 60 +
           strToInt(chars(value, 7, 8));
}

QString titleText(const QByteArray& latin1)
{
    return QString::fromLatin1(latin1);
}

// A value no instrument reading comes near (an infinity, 1e300) cannot be put on
// an axis: it leaves a gap like a value that could not be read.
double drawable(double v)
{
    constexpr double kLargest = 1e12;
    return std::fabs(v) <= kLargest ? v : std::numeric_limits<double>::quiet_NaN();
}

// The years a date axis can show; the day-number rule itself is exact from
// 1901 to 2099.
constexpr int kFirstYear = 1;
constexpr int kLastYear = 9999;

}  // namespace

int deviceNumberFromFileName(const QString& path)
{
    static const QRegularExpression kName(QStringLiteral("^UNT(\\d{3})\\d{2}\\.txt$"));
    const QString base = path.section(QLatin1Char('/'), -1);
    const QRegularExpressionMatch m = kName.match(base);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

long long graphDayNumber(int year, int month, int day)
{
    static constexpr int kMonthLength[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    long long n = (static_cast<long long>(year) - 1900) * 1461 / 4 + 1;
    for (int m = 1; m < month && m <= 12; ++m)
        n += kMonthLength[m - 1];
    n += day;
    if (year % 4 == 0 && (month == 1 || month == 2)) n -= 1;
    return n;
}

int graphMonth(QByteArrayView date)
{
    auto at = [&](int place) { return place <= date.size() ? date[place - 1] : '\0'; };
    switch (at(4)) {
        case 'A': return at(5) == 'p' ? 4 : 8;
        case 'D': return 12;
        case 'F': return 2;
        case 'J':
            if (at(5) == 'a') return 1;
            return at(6) == 'n' ? 6 : 7;
        case 'M': return at(6) == 'y' ? 5 : 3;
        case 'N': return 11;
        case 'O': return 10;
        case 'S': return 9;
        default: return 0;
    }
}

GraphData buildGraphData(QByteArrayView text, const GraphOptions& options, int deviceNumber)
{
    GraphData g;
    g.header = readTagHeader(text);
    const TagHeader& h = g.header;
    for (qsizetype i = 0; i < h.missingKeys.size(); ++i)
        g.messages << QString::fromLatin1(kHeaderProblemMessage);

    // One arg() for all fields: a "%1" inside a header text stays text.
    g.title = QStringLiteral("%1  SN# %2  Dev# %3  Tag# %4  start: %5 %6  interval: %7")
                  .arg(titleText(h.Model), titleText(h.SerialNo), QString::number(deviceNumber),
                       QString::number(h.TagNumber), titleText(h.StartDate), titleText(h.StartTime),
                       titleText(h.LogPeriodText));
    g.seriesTitles[SeriesData] = titleText(h.UnitName);
    g.seriesTitles[SeriesTemp] =
        QStringLiteral("T [") + QChar(0xB0) + QChar::fromLatin1(h.TempUnits) + QLatin1Char(']');
    g.seriesTitles[SeriesHumidity] = QStringLiteral("RH [%]");
    g.seriesTitles[SeriesPressure] = QStringLiteral("Pa [mmHg]");

    double start = 0;
    int period = 0;
    try {
        period = secondsOf(h.LogPeriodText);
        g.periodSeconds = period;
        int startSeconds = secondsOf(h.StartTime);
        // With a period of 5 s or less the drawing starts a few periods after
        // the header's start time.
        if (period > 0 && period <= 5) g.drawingDelaySeconds = (5 / period) * period;
        startSeconds += g.drawingDelaySeconds;
        const int month = graphMonth(QByteArrayView(h.StartDate));
        if (month == 0)
            throw ConversionError(QStringLiteral("'%1' is not a valid date")
                                      .arg(titleText(h.StartDate))
                                      .toStdString());
        const int day = strToInt(chars(h.StartDate, 1, 2));
        const int year = strToInt(chars(h.StartDate, 8, 11));
        if (year < kFirstYear || year > kLastYear)
            throw ConversionError(QStringLiteral("'%1' is not a valid date")
                                      .arg(titleText(h.StartDate))
                                      .toStdString());
        start = static_cast<double>(graphDayNumber(year, month, day)) + startSeconds / 86400.0;
    } catch (const ConversionError& e) {
        g.error = QString::fromStdString(e.what());
        return g;
    }
    if (period == 0) {
        g.messages
            << QStringLiteral(
                   "The log period of this tag is %1, so its records cannot be told apart in time: "
                   "they are all drawn at the start time.")
                   .arg(titleText(h.LogPeriodText));
    }

    const QList<QByteArrayView> lines = recordLines(text, h.NumberOfRecords);
    if (h.NumberOfRecords > 0 && lines.size() < h.NumberOfRecords) {
        if (text.indexOf(QByteArrayView("record,")) < 0)
            g.messages << QStringLiteral(
                "The text has no column-title line (the line with \"record,\" above the "
                "records), so no records can be drawn.");
        else
            g.messages << QStringLiteral(
                              "The header announces %1 records, but only %2 record "
                              "lines follow; the graph shows those.")
                              .arg(h.NumberOfRecords)
                              .arg(lines.size());
    }
    g.times.reserve(lines.size());
    for (int s = 0; s < kSeriesCount; ++s)
        if (options.shown[s]) g.values[s].reserve(lines.size());
    const double step = period / 86400.0;
    double t = start;
    // With no series shown only the times are wanted: the lines are not read.
    const bool anyShown =
        std::find(options.shown.begin(), options.shown.end(), true) != options.shown.end();
    for (const QByteArrayView line : lines) {
        t += step;
        if (!anyShown) {
            g.times << t;
            continue;
        }
        const RecordValues r = readRecordLine(line);
        // A concentration that is no number frees the minimum as well.
        if (options.shown[SeriesData] && std::isnan(r.concentration)) g.automaticMinimum = true;
        g.times << t;
        const double v[kSeriesCount] = {r.concentration, r.temperature, r.humidity, r.pressure};
        // Any shown value below 0 (a temperature under 0 degrees C, say) must stay on the chart.
        for (int s = 0; s < kSeriesCount; ++s)
            if (options.shown[s] && v[s] < 0) g.automaticMinimum = true;
        for (int s = 0; s < kSeriesCount; ++s)
            if (options.shown[s]) g.values[s] << drawable(v[s]);
    }
    return g;
}

}  // namespace nesmo
