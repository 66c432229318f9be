#include "files/csv_export.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "core/date_time.h"
#include "files/graph_data.h"
#include "files/tag_reader.h"

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

// A text from the instrument or the operator that a spreadsheet would take
// for a formula gets a leading apostrophe, as spreadsheets expect.
QByteArray textField(QByteArrayView text)
{
    if (!text.isEmpty() && QByteArrayView("=+-@\t\r").contains(text[0]))
        return csvField('\'' + text.toByteArray());
    return csvField(text);
}

void appendRow(QByteArray& out, QByteArrayView key, const QByteArray& field)
{
    out.append(key).append(',').append(field).append("\r\n");
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
    // The graph's reading of the header and the record times; the values are
    // taken from the lines as they stand.
    GraphOptions none;
    none.shown = {false, false, false, false};
    const GraphData g = buildGraphData(text, none, 0);
    if (!g.error.isEmpty()) {
        e.error = g.error;
        return e;
    }
    const QByteArray unit = concentrationUnit(g.header);
    const QByteArray temperatureUnit = g.header.TempUnits == 'F' ? "F" : "C";

    QByteArray& out = e.records;
    out.reserve(64 + g.times.size() * 48);
    out.append("time,")
        .append(csvField(unit.isEmpty() ? QByteArray("concentration") : "concentration_" + unit))
        .append(",temperature_")
        .append(temperatureUnit)
        .append(",rh_percent,pressure_mmHg\r\n");
    // The times as the file stamps its records (start + k periods), the values
    // as it writes them: each field on its own, so that one that cannot be read
    // leaves the others as they are.
    const double delay = g.drawingDelaySeconds / 86400.0;
    const QList<QByteArrayView> lines = recordLines(text, g.header.NumberOfRecords);
    for (qsizetype i = 0; i < g.times.size() && i < lines.size(); ++i) {
        appendIsoTime(out, g.times[i] - delay);
        for (const QByteArrayView field : recordFields(lines[i])) {
            out.append(',');
            if (isNumberField(field)) out.append(field);
        }
        out.append("\r\n");
        ++e.rows;
    }

    // The start is one log period before the first record.
    const QByteArray period = g.header.LogPeriodText;
    const int periodSeconds =
        period.mid(0, 2).toInt() * 3600 + period.mid(3, 2).toInt() * 60 + period.mid(6, 2).toInt();
    QByteArray start;
    if (!g.times.isEmpty()) appendIsoTime(start, g.times.first() - delay - periodSeconds / 86400.0);

    QByteArray& h = e.header;
    appendRow(h, "key", "value");
    appendRow(h, "model", textField(g.header.Model.trimmed()));
    appendRow(h, "serial", textField(g.header.SerialNo.trimmed()));
    appendRow(h, "tag", QByteArray::number(g.header.TagNumber));
    // The instrument's dump header names no site; an edited file may.
    appendRow(h, "site", textField(headerLineValue(text, "Site")));
    appendRow(h, "start", start);
    // The instrument's clock knows no time zone nor daylight saving.
    appendRow(h, "time_zone", csvField("instrument local time, no offset"));
    appendRow(h, "log_period_s", QByteArray::number(periodSeconds));
    appendRow(h, "records", QByteArray::number(g.header.NumberOfRecords));
    appendRow(h, "calibration_factor", csvField(headerLineValue(text, "CalFactor")));
    appendRow(h, "concentration_unit", textField(unit));
    appendRow(h, "temperature_unit", temperatureUnit);
    appendRow(h, "alarm", textField(headerLineValue(text, "ALARM  ")));
    appendRow(h, "alarm_level", csvField(headerLineValue(text, "ALARM_LEVEL")));
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
