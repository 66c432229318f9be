#pragma once

// The exposure report a hygienist hands on: the tag's header, the chart as the
// Data graph page draws it, the exposure summary with its notes, the program's
// version and the date it was made. On paper or as PDF it is one page where it
// fits, the chart drawn as vectors; as HTML, for those who edit it, the chart is
// an inline SVG drawing. Numbers in it have a full stop, whatever the locale.

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QPageSize>
#include <QString>
#include <utility>

#include "files/exposure.h"

class QCustomPlot;
class QPagedPaintDevice;

namespace nesmo {

struct ExposureReport {
    QString title;                              // "Exposure report: Nesmo-7 20871, tag 4"
    QList<std::pair<QString, QString>> header;  // label, value as the file has it
    QString scope;                              // "Exposure summary of the whole tag"
    ExposureSummary summary;
    QString made;  // "Made with Nesmo Port 1.2.0 on 2026-12-11 14:05"
};

// The report's content from a tag's text and the summary shown of it.
ExposureReport exposureReport(QByteArrayView tagText, const ExposureSummary& summary,
                              const QString& scope, const QDateTime& made);

// A4, or Letter where the locale's measures are the United States'.
QPageSize reportPageSize(const QLocale& locale);

// Lays the report out on the device's pages (a QPdfWriter, a QPrinter) with the
// chart at `chartSize` scaled to the page's width. False when it cannot paint.
bool paintExposureReport(QPagedPaintDevice& device, const ExposureReport& report,
                         QCustomPlot& chart, QSize chartSize);

// The report as a whole HTML page (UTF-8), with the chart's SVG drawing in it.
QByteArray exposureReportHtml(const ExposureReport& report, QByteArrayView chartSvg);

}  // namespace nesmo
