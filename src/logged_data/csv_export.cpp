#include "logged_data/csv_export.h"

#include <QDir>
#include <QFileInfo>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/date_time.h"
#include "logged_data/graph_data.h"
#include "logged_data/tag_reader.h"

namespace nesmo {

namespace {

void appendIsoTime(QByteArray& out, double day)
{
    const datetime::Parts p = datetime::decode(day);
    char buf[40];
    const int n = std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", p.year, p.month,
                                p.day, p.hour, p.minute, p.second);
    out.append(buf, n);
}

// The shortest text that reads back as the same double; nothing for NaN.
void appendNumber(QByteArray& out, double v)
{
    if (std::isnan(v)) return;
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr - buf);
}

void appendRow(QByteArray& out, QByteArrayView key, QByteArrayView value)
{
    out.append(csvField(key)).append(',').append(csvField(value)).append("\r\n");
}

}  // namespace

QByteArray csvField(QByteArrayView text)
{
    bool quote = false;
    for (char c : text)
        quote |= c == ',' || c == '"' || c == '\r' || c == '\n';
    if (!quote) return text.toByteArray();
    QByteArray out = text.toByteArray();
    out.replace('"', "\"\"");
    return '"' + out + '"';
}

CsvExport exportCsv(QByteArrayView text)
{
    CsvExport e;
    GraphOptions all;
    const GraphData g = buildGraphData(text, all, 0);
    if (!g.error.isEmpty()) {
        e.error = g.error;
        return e;
    }
    // A unit shorter than five characters is read with its closing quote.
    QByteArray unit = g.header.UnitName;
    if (const qsizetype quote = unit.indexOf('"'); quote >= 0) unit.truncate(quote);
    unit = unit.trimmed();
    const QByteArray temperatureUnit = g.header.TempUnits == 'F' ? "F" : "C";

    QByteArray& out = e.records;
    out.reserve(64 + g.times.size() * 48);
    out.append("time,")
        .append(csvField(unit.isEmpty() ? QByteArray("concentration") : "concentration_" + unit))
        .append(",temperature_")
        .append(temperatureUnit)
        .append(",rh_percent,pressure_mmHg\r\n");
    for (qsizetype i = 0; i < g.times.size(); ++i) {
        appendIsoTime(out, g.times[i]);
        for (int s = 0; s < kSeriesCount; ++s) {
            out.append(',');
            appendNumber(out, g.values[s][i]);
        }
        out.append("\r\n");
    }
    e.rows = static_cast<int>(g.times.size());

    // The start is one log period before the first record.
    const QByteArray period = g.header.LogPeriodText;
    const int periodSeconds =
        period.mid(0, 2).toInt() * 3600 + period.mid(3, 2).toInt() * 60 + period.mid(6, 2).toInt();
    QByteArray start;
    if (!g.times.isEmpty()) appendIsoTime(start, g.times.first() - periodSeconds / 86400.0);

    QByteArray& h = e.header;
    appendRow(h, "key", "value");
    appendRow(h, "model", g.header.Model.trimmed());
    appendRow(h, "serial", g.header.SerialNo.trimmed());
    appendRow(h, "tag", QByteArray::number(g.header.TagNumber));
    // The instrument's dump header names no site.
    appendRow(h, "site", headerLineValue(text, "Site"));
    appendRow(h, "start", start);
    appendRow(h, "log_period_s", QByteArray::number(periodSeconds));
    appendRow(h, "records", QByteArray::number(g.header.NumberOfRecords));
    appendRow(h, "calibration_factor", headerLineValue(text, "CalFactor"));
    appendRow(h, "concentration_unit", unit);
    appendRow(h, "temperature_unit", temperatureUnit);
    appendRow(h, "alarm", headerLineValue(text, "ALARM  "));
    appendRow(h, "alarm_level", headerLineValue(text, "ALARM_LEVEL"));
    return e;
}

QString csvHeaderFileName(const QString& csvPath)
{
    const QFileInfo info(csvPath);
    const QString base = info.suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0
                             ? info.completeBaseName()
                             : info.fileName();
    const QString name = base + QStringLiteral(".header.csv");
    return info.path() == QLatin1String(".") && !csvPath.startsWith(QLatin1String("./"))
               ? name
               : info.dir().filePath(name);
}

}  // namespace nesmo
