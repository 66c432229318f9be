#include "logged_data/exposure_report.h"

#include <qcustomplot.h>
#include <QAbstractTextDocumentLayout>
#include <QPagedPaintDevice>
#include <QTextDocument>
#include <algorithm>
#include <memory>

#include "files/tag_reader.h"

namespace nesmo {

namespace {

QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

QString latin1(QByteArrayView text)
{
    return QString::fromLatin1(text.trimmed());
}

// The tables' look in both the HTML page and the laid-out one: a table's
// attributes for the text layout, its style sheet for browsers.
constexpr char kTable[] = "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">";

QString headerHtml(const ExposureReport& r)
{
    QString html = QStringLiteral("<h1>%1</h1>").arg(escaped(r.title));
    html += QLatin1String(kTable);
    // Two label-value pairs a row keep the header short.
    for (qsizetype i = 0; i < r.header.size(); i += 2) {
        html += QStringLiteral("<tr>");
        for (qsizetype j = i; j < i + 2; ++j) {
            if (j < r.header.size())
                html += QStringLiteral("<th>%1</th><td>%2</td>")
                            .arg(escaped(r.header[j].first), escaped(r.header[j].second));
            else
                html += QStringLiteral("<th></th><td></td>");
        }
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

QString tableHtml(const QStringList& header, const QList<QStringList>& rows)
{
    if (rows.isEmpty()) return {};
    QString html = QLatin1String(kTable) + QStringLiteral("<tr>");
    for (const QString& h : header)
        html += QStringLiteral("<th>%1</th>").arg(escaped(h));
    html += QStringLiteral("</tr>");
    for (const QStringList& row : rows) {
        html += QStringLiteral("<tr>");
        for (const QString& cell : row)
            html += QStringLiteral("<td>%1</td>").arg(escaped(cell));
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

QString summaryHtml(const ExposureReport& r)
{
    const ExposureLayout layout = exposureLayout(r.summary, QLocale::c());
    QString html = QStringLiteral("<h2>%1</h2>").arg(escaped(r.scope));
    if (!layout.headline.isEmpty()) {
        html += QLatin1String(kTable);
        for (const ExposureFigure& f : layout.headline)
            html += QStringLiteral("<tr><th>%1</th><td><b>%2</b></td><td>%3</td></tr>")
                        .arg(escaped(f.name), escaped(f.value), escaped(f.detail));
        html += QStringLiteral("</table>");
    }
    if (!layout.daily.isEmpty()) html += QStringLiteral("<h3>8-hour TWA per day</h3>");
    html += tableHtml(layout.dailyHeader, layout.daily);
    html += QStringLiteral("<p>%1</p>").arg(escaped(layout.facts.join(QStringLiteral("; "))));
    html += tableHtml(layout.tableHeader, layout.table);
    if (!layout.notes.isEmpty()) {
        html += QStringLiteral("<h3>Notes</h3><ul>");
        for (const QString& note : layout.notes)
            html += QStringLiteral("<li>%1</li>").arg(escaped(note));
        html += QStringLiteral("</ul>");
    }
    return html + QStringLiteral("<p><small>%1</small></p>").arg(escaped(r.made));
}

std::unique_ptr<QTextDocument> laidOut(const QString& html, QPaintDevice& device, double width)
{
    auto doc = std::make_unique<QTextDocument>();
    doc->documentLayout()->setPaintDevice(&device);
    QFont font = doc->defaultFont();
    font.setPointSizeF(8.5);
    doc->setDefaultFont(font);
    doc->setDefaultStyleSheet(
        QStringLiteral("h1 { font-size: 14pt; } h2 { font-size: 11pt; } h3 { font-size: 9pt; } "
                       "th { text-align: left; }"));
    doc->setDocumentMargin(0);
    doc->setHtml(html);
    doc->setTextWidth(width);
    return doc;
}

}  // namespace

ExposureReport exposureReport(QByteArrayView text, const ExposureSummary& summary,
                              const QString& scope, const QDateTime& made)
{
    ExposureReport r;
    const TagHeader h = readTagHeader(text);
    r.title = QStringLiteral("Exposure report: %1 %2, tag %3")
                  .arg(latin1(h.Model), latin1(h.SerialNo))
                  .arg(h.TagNumber);
    const QString alarm = latin1(h.alarm.setting);
    r.header = {
        {QStringLiteral("Model"), latin1(h.Model)},
        {QStringLiteral("Serial"), latin1(h.SerialNo)},
        {QStringLiteral("Tag"), QString::number(h.TagNumber)},
        {QStringLiteral("Site"), latin1(headerLineValue(text, "Site"))},
        {QStringLiteral("Start"), latin1(h.StartDate) + QLatin1Char(' ') + latin1(h.StartTime)},
        {QStringLiteral("Log period"), latin1(h.LogPeriodText)},
        {QStringLiteral("Records"), QString::number(h.NumberOfRecords)},
        {QStringLiteral("Calibration factor"), latin1(headerLineValue(text, "CalFactor"))},
        {QStringLiteral("Unit"), QString::fromLatin1(concentrationUnit(h))},
        {QStringLiteral("Alarm"),
         h.alarm.on ? alarm + QLatin1Char(' ') + latin1(headerLineValue(text, "ALARM_LEVEL"))
                    : (alarm.isEmpty() ? QStringLiteral("OFF") : alarm)},
    };
    r.scope = scope;
    r.summary = summary;
    r.made =
        QStringLiteral("Made with Nesmo Port %1 on %2; times are the instrument's local clock.")
            .arg(QStringLiteral(NESMO_VERSION), made.toString(QStringLiteral("yyyy-MM-dd hh:mm")));
    return r;
}

QPageSize reportPageSize(const QLocale& locale)
{
    return QPageSize(locale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                             : QPageSize::A4);
}

bool paintExposureReport(QPagedPaintDevice& device, const ExposureReport& r, QCustomPlot& chart,
                         QSize chartSize)
{
    QCPPainter painter;
    if (!painter.begin(&device)) return false;
    // Drawn as on a printer: vectors, no cached pictures of parts.
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    const double width = device.width();
    const double height = device.height();
    const double gap = height * 0.015;
    const auto head = laidOut(headerHtml(r), device, width);
    const auto summary = laidOut(summaryHtml(r), device, width);
    const double headHeight = head->size().height();
    const double summaryHeight = summary->size().height();

    // The chart across the page in at most two fifths of its height; smaller,
    // down to a quarter, where that keeps the summary on the same page.
    double scale = std::min(width / chartSize.width(), 0.4 * height / chartSize.height());
    const double room = height - headHeight - summaryHeight - 2 * gap;
    if (room < chartSize.height() * scale && room >= 0.25 * height)
        scale = room / chartSize.height();
    const double chartHeight = chartSize.height() * scale;

    head->drawContents(&painter);
    painter.save();
    painter.translate((width - chartSize.width() * scale) / 2, headHeight + gap);
    painter.scale(scale, scale);
    chart.toPainter(&painter, chartSize.width(), chartSize.height());
    painter.restore();

    const double top = headHeight + chartHeight + 2 * gap;
    if (top + summaryHeight <= height) {
        painter.translate(0, top);
        summary->drawContents(&painter);
    } else {
        // The summary on pages of its own, broken between lines.
        summary->setPageSize(QSizeF(width, height));
        for (int page = 0; page < summary->pageCount(); ++page) {
            if (!device.newPage()) break;
            painter.save();
            painter.translate(0, -page * height);
            summary->drawContents(&painter, QRectF(0, page * height, width, height));
            painter.restore();
        }
    }
    return painter.end();
}

QByteArray exposureReportHtml(const ExposureReport& r, QByteArrayView chartSvg)
{
    // The drawing without its XML declaration, scaled to the page's width.
    QByteArrayView svg = chartSvg;
    if (const qsizetype at = svg.indexOf("<svg"); at >= 0) svg = svg.sliced(at);
    QString html = QStringLiteral(
                       "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<title>%1</title>\n<style>\n"
                       "body { font-family: sans-serif; font-size: 10pt; max-width: 62em; "
                       "margin: 1em auto; }\n"
                       "table { border-collapse: collapse; margin: 0.5em 0; }\n"
                       "th, td { border: 1px solid #999; padding: 2px 6px; text-align: left; "
                       "vertical-align: top; }\n"
                       "figure { margin: 1em 0; } figure svg { width: 100%; height: auto; }\n"
                       "</style>\n</head>\n<body>\n")
                       .arg(escaped(r.title));
    html += headerHtml(r) + QStringLiteral("\n<figure>\n");
    QByteArray out = html.toUtf8();
    out += svg.toByteArray();
    out += QStringLiteral("\n</figure>\n%1\n</body>\n</html>\n").arg(summaryHtml(r)).toUtf8();
    return out;
}

}  // namespace nesmo
