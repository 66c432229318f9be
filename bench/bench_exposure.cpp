// The exposure summary of a whole 65,535-record tag, from its text to the
// figures (header, records and their times, statistics, 8-hour and 15-minute
// windows, alarm time), and the plain text made from it; the tag's export as
// CSV, from its text to both files on disk; and its exposure report, from the
// text on the Data text page of an offscreen main window to the PDF (and the
// HTML page) on disk, the chart drawn afresh each time:
//
//   bench_exposure [records=65535] [repetitions=15]
//
// The tag is built here with the capture's header and record-line layout: a
// 1-minute period (45 days), a varying concentration with an unreadable record
// now and then, and an instant alarm (the lines' own date stamps, which the summary
// does not read, stay on the start date). The figures are medians of the repetitions.

#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_common.h"
#include "bench_dialogs.h"
#include "core/save_file.h"
#include "files/csv_export.h"
#include "files/exposure.h"
#include "logged_data/data_graph_page.h"
#include "logged_data/data_text_page.h"
#include "shell/main_window.h"

namespace {

QByteArray tagText(int records)
{
    QByteArray t =
        "\"Model Number\", \"Nesmo-7   \"\n\"Serial no.\", \"20871\"\n"
        "\"Tag Number  \", 20\n\"Number      \", " +
        QByteArray::number(records) +
        "\n\"Log Period  \", 00:01:00\n\"Start Time  \", 08:00:00\n"
        "\"Start Date  \", 10-Apr-2024\n\"CalFactor\", 1.000\n\"Unit    \", 2\n"
        "\"Unit Name\", \"mg/m3\"\n\"TEMPUNITS\", C\n\"ALARM  \", \"INSTANT\"\n"
        "\"ALARM_LEVEL\", 2.500\n\"Errors\", 0\n"
        "record, concentration, temperature, RH, pressure\n";
    t.reserve(t.size() + records * 64);
    char line[96];
    for (int i = 1; i <= records; ++i) {
        const int minute = 8 * 60 + i;
        const int hour = minute / 60 % 24;
        if (i % 1000 == 0)
            std::snprintf(line, sizeof line,
                          "%5i,       ----,  20.0,   40,   750 ,  %02d:%02d:00,  10-Apr-2024 \n", i,
                          hour, minute % 60);
        else
            std::snprintf(line, sizeof line,
                          "%5i, %10.2f, %5.1f, %4i, %5.0f ,  %02d:%02d:00,  10-Apr-2024 \n", i,
                          (i * 37 % 500) / 100.0, 15.0 + (i % 100) / 10.0, 30 + i % 50,
                          740.0 + i % 30, hour, minute % 60);
        t += line;
    }
    return t;
}

double milliseconds(const QElapsedTimer& t)
{
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 65535;
    const int repetitions = argc > 2 ? std::atoi(argv[2]) : 15;
    const QByteArray text = tagText(records);
    std::printf("tag of %d records: %.2f MB of text\n", records, text.size() / (1024.0 * 1024.0));

    std::vector<double> summary;
    std::vector<double> rendering;
    nesmo::ExposureSummary s;
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer t;
        t.start();
        s = nesmo::summarizeExposure(text);
        summary.push_back(milliseconds(t));
        t.restart();
        const QString plain = nesmo::exposureSummaryText(s);
        rendering.push_back(milliseconds(t));
        if (i == 0) std::printf("%s", qPrintable(plain));
    }
    nesmo::bench::summary("plain text of the summary (median)", nesmo::bench::median(rendering),
                          "ms");
    bool ok = nesmo::bench::summaryAtMost("exposure summary of the tag (median)",
                                          nesmo::bench::median(summary), "ms", 20);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tag.csv"));
    std::vector<double> exporting;
    nesmo::CsvExport e;
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer t;
        t.start();
        e = nesmo::exportCsv(text);
        if (!nesmo::saveWholeFile(path, e.records).isEmpty() ||
            !nesmo::saveWholeFile(nesmo::csvHeaderFileName(path), e.header).isEmpty())
            return 2;
        exporting.push_back(milliseconds(t));
    }
    std::printf("CSV of %d rows: %.2f MB\n", e.rows, e.records.size() / (1024.0 * 1024.0));
    ok &= nesmo::bench::summaryAtMost("CSV export, both files on disk (median)",
                                      nesmo::bench::median(exporting), "ms", 300);

    nesmo::AppState state;
    nesmo::bench::AnsweringDialogs dialogs;
    nesmo::MainWindow w(state, dialogs, dir.filePath(QStringLiteral("a.ini")), {"x"});
    w.resize(1000, 700);
    w.show();
    QCoreApplication::processEvents();
    w.dataTextPage()->setTextBytes(text);
    std::vector<double> pdf;
    std::vector<double> html;
    const QString pdfPath = dir.filePath(QStringLiteral("report.pdf"));
    const QString htmlPath = dir.filePath(QStringLiteral("report.html"));
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer t;
        w.dataGraphPage()->markStale();
        t.start();
        if (!w.dataGraphPage()->saveReport(pdfPath).isEmpty()) return 2;
        pdf.push_back(milliseconds(t));
        w.dataGraphPage()->markStale();
        t.restart();
        if (!w.dataGraphPage()->saveReport(htmlPath).isEmpty()) return 2;
        html.push_back(milliseconds(t));
    }
    std::printf("report: PDF %.0f kB, HTML %.0f kB\n", QFileInfo(pdfPath).size() / 1024.0,
                QFileInfo(htmlPath).size() / 1024.0);
    ok &= nesmo::bench::summaryAtMost("exposure report as PDF, chart drawn afresh (median)",
                                      nesmo::bench::median(pdf), "ms", 1000);
    nesmo::bench::summary("exposure report as HTML, chart drawn afresh (median)",
                          nesmo::bench::median(html), "ms");
    return ok && s.records == records && e.rows == records ? 0 : 2;
}
