// Any text as the Data text page may hold it (a saved tag, an edited one, a file
// opened by mistake) through the tag header reader, the record reader and the
// graph's data, the exposure summary and the CSV export.
//
// Input layout:
//   byte 0   the graph options: bits 0-3 the four series, bit 4 markers, bit 5 steps
//   rest     the text
//
// Besides not crashing, leaking or hanging, the build must hold together: one
// time per record read and never more records than the header announces or the
// text has lines, a value list for exactly the shown series, finite times and
// values an axis can hold (or gaps), and one message per missing header key.
// The summary stays inside the tag (sampled time within the covered time, time
// above the alarm level within the tag's), and the CSV has a row a record time.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "files/csv_export.h"
#include "files/exposure.h"
#include "files/graph_data.h"
#include "files/tag_reader.h"

namespace {

using namespace nesmo;

[[noreturn]] void broken(const char* what)
{
    std::fprintf(stderr, "fuzz_data_file: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    GraphOptions options;
    for (int s = 0; s < kSeriesCount; ++s)
        options.shown[s] = (data[0] >> s) & 1;
    options.markers = (data[0] >> 4) & 1;
    options.steps = (data[0] >> 5) & 1;
    const QByteArrayView text(reinterpret_cast<const char*>(data + 1),
                              static_cast<qsizetype>(size - 1));

    const GraphData g = buildGraphData(text, options, data[0]);
    if (g.messages.size() < g.header.missingKeys.size()) broken("a missing key without a message");
    for (qsizetype i = 0; i < g.header.missingKeys.size(); ++i)
        if (g.messages[i] != QString::fromLatin1(kHeaderProblemMessage))
            broken("missing-key message text");
    if (!g.error.isEmpty() && !g.times.isEmpty()) broken("points drawn after an error");
    if (g.times.size() > qMax(0, g.header.NumberOfRecords)) broken("more records than announced");
    if (g.times.size() > text.count('\n') + text.count('\r') + 1) broken("more records than lines");
    for (const double t : g.times)
        if (!std::isfinite(t)) broken("a time that is no number");
    for (int s = 0; s < kSeriesCount; ++s) {
        const qsizetype expected = options.shown[s] ? g.times.size() : 0;
        if (g.values[s].size() != expected) broken("values of a series");
        for (const double v : g.values[s])
            if (std::isinf(v) || std::fabs(v) > 1e12) broken("a value no axis can hold");
    }
    if (g.title.contains(QLatin1Char('\n')) || g.title.contains(QLatin1Char('\r')))
        broken("a title of more than one line");

    const ExposureSummary e = summarizeExposure(text);
    if (e.error.isEmpty() != g.error.isEmpty()) broken("summary and graph disagree on an error");
    if (e.records > g.times.size()) broken("more records summarised than read");
    if (e.sampledSeconds > e.durationSeconds) broken("more sampled time than the tag covers");
    if (e.secondsAboveAlarm < 0 || e.secondsAboveAlarm > e.durationSeconds + 1e-6)
        broken("time above the alarm level outside the tag");
    for (const WindowAverage* w : {&e.twa8h, &e.shortTerm, &e.ownDuration, &e.rolling8h})
        if (w->sampledSeconds > w->coveredSeconds || std::isinf(w->average))
            broken("a window average out of its window");
    exposureSummaryText(e);
    const CsvExport csv = exportCsv(text);
    if (csv.error.isEmpty() && csv.rows > g.times.size()) broken("more CSV rows than records");

    // The record reader on the whole text as one line must not run past it either.
    readRecordLine(text);
    return 0;
}
