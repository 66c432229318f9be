// Throughput of the receive path, measured without a port: a logged-data dump and
// a stream of short reply lines are handed to the receive path in notifications
// of 4096 bytes, as the port would, with the real reply parser behind it.
//
//   bench_receive [records] [repetitions]
//
// Scenarios (each repeated; the median is reported):
//   dump, whole path     receive path + lexer + parser + terminal buffer + capture file
//   dump, parser path    receive path + lexer + parser + capture file (terminal dropped)
//   dump, no parser      receive path + terminal buffer only (lines are queued, never
//                        parsed, nothing captured): what the byte loop itself costs
//   reply lines          receive path + lexer + parser + terminal buffer, no download

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <vector>

#include "bench_common.h"
#include "core/app_state.h"
#include "link/download_capture.h"
#include "link/receive_path.h"
#include "link/terminal_buffer.h"
#include "reply/reply_parser.h"
#include "reply/reply_queue.h"

namespace {

using namespace nesmo;

constexpr qsizetype kChunk = 4096;

class Host final : public ReceiveHost {
public:
    explicit Host(bool terminal) : terminal_(terminal) {}
    void restartReplyTimer() override {}
    void restartWatchdog() override {}
    void promptReceived() override { ++prompts; }
    void terminalWrite(const char* data, qsizetype n) override
    {
        if (terminal_) buffer.write(data, n);
    }
    bool terminalVisible() const override { return false; }
    void setTerminalVisible(bool) override {}

    TerminalBuffer buffer;
    int prompts = 0;

private:
    bool terminal_;
};

enum class Stage { Whole, NoTerminal, NoParser };

struct Rig {
    Rig(const QString& capturePath, Stage stage)
        : host(stage != Stage::NoTerminal),
          capture(capturePath),
          rx(state, queue, view, host, capture),
          parser(state, queue, view, rx)
    {
        parser.setDiagnosticStream(&diagnostics);
        if (stage != Stage::NoParser) rx.setParser([this] { parser.ParseReplies(); });
    }

    AppState state;
    ReplyQueue queue;
    bench::NullView view;
    Host host;
    DownloadCapture capture;
    ReceivePath rx;
    ReplyParser parser;
    std::ostringstream diagnostics;
};

// The reply to "tagdump n": headers as the instrument sends them, a title line,
// the record lines (blanks, the record number, the 10-byte binary record), the prompt.
QByteArray syntheticDump(int records)
{
    QByteArray out;
    out.reserve(records * 22 + 1024);
    out +=
        "\"Model Number\", \"Nesmo-7   \"\r\n"
        "\"Serial no.\", \"20871\"\r\n"
        "\"Tag Number  \", 9\r\n";
    out += "\"Number      \", " + QByteArray::number(records) + "\r\n";
    out +=
        "\"Log Period  \", 00:00:30\r\n"
        "\"Start Time  \", 23:58:30\r\n"
        "\"Start Date  \", 04-Jul-2023\r\n"
        "\"CalFactor\", 1.000\r\n"
        "\"Unit    \", 2\r\n"
        "\"Unit Name\", \"mg/m3\"\r\n"
        "\"TEMPUNITS\", C\r\n"
        "\"ALARM  \", \"OFF\"\r\n"
        "\"ALARM_LEVEL\", 0.000\r\n"
        "\"Errors\", 0\r\n"
        "record, concentration, temperature, RH, pressure\r\n";
    quint32 seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int i = 1; i <= records; ++i) {
        out += "    " + QByteArray::number(i);
        unsigned char r[10];
        r[0] = 0xDF;
        const float value = static_cast<float>(next() % 250000) / 1000.0f;
        const qint16 tenths = static_cast<qint16>(static_cast<int>(next() % 500) - 100);
        std::memcpy(r + 1, &value, 4);
        r[5] = static_cast<unsigned char>(tenths & 0xFF);
        r[6] = static_cast<unsigned char>((tenths >> 8) & 0xFF);
        r[7] = static_cast<unsigned char>(next() % 101);
        r[8] = static_cast<unsigned char>(150 + next() % 60);
        r[9] = 0;
        out.append(reinterpret_cast<const char*>(r), 10);
        out += "\r\n";
    }
    out += '>';
    return out;
}

// Short replies as the configuration read and the panel produce them.
QByteArray replyLines(int lines)
{
    static const char* const kLines[] = {
        "LOGPERIOD 60\r\n",
        "V 157 ON\r\n",
        "TAGS 1 2 5\r\n",
        "V 144 \"1.28\"\r\n",
        "V 141 SERIALNUMBER \"20871\"\r\n",
        "V 5 \"PM10   0.023\" \"mg/m3\" 1\r\n",
        "V 236 12 30 14 4 7 2023\r\n",
        "ALARM 0.150 ON\r\n",
    };
    constexpr int kKinds = sizeof kLines / sizeof kLines[0];
    QByteArray out;
    for (int i = 0; i < lines; ++i) {
        out += kLines[i % kKinds];
        if (i % 4 == 3) out += '>';
    }
    out += '>';
    return out;
}

// Seconds to deliver the stream in 4096-byte notifications through a new rig.
double deliverOnce(const QByteArray& stream, const QString& capturePath, Stage stage,
                   bool expectDownload)
{
    auto rig = std::make_unique<Rig>(capturePath, stage);
    QElapsedTimer t;
    t.start();
    for (qsizetype at = 0; at < stream.size(); at += kChunk)
        rig->rx.onCharactersAvailable(stream.constData() + at, qMin(kChunk, stream.size() - at));
    const double seconds = static_cast<double>(t.nsecsElapsed()) * 1e-9;
    if (expectDownload && (rig->state.Downloading || rig->capture.text().isEmpty())) {
        std::fprintf(stderr, "bench_receive: the dump did not run to its end\n");
        std::exit(1);
    }
    return seconds;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 65535;
    const int repetitions = argc > 2 ? std::atoi(argv[2]) : 15;
    const int lineCount = 400000;

    QTemporaryDir dir;
    const QString capturePath = dir.filePath(QStringLiteral("scratch.txt"));
    const QByteArray dump = syntheticDump(records);
    const QByteArray lines = replyLines(lineCount);

    std::printf(
        "bench_receive: %d records (%lld wire bytes), %d reply lines, %d repetitions, "
        "notifications of %lld bytes, capture in %s\n",
        records, static_cast<long long>(dump.size()), lineCount, repetitions,
        static_cast<long long>(kChunk), qPrintable(capturePath));

    // One unmeasured pass of each warms the caches and the file system.
    deliverOnce(dump, capturePath, Stage::Whole, true);
    deliverOnce(lines, capturePath, Stage::Whole, false);

    std::vector<double> whole, parser, bytesOnly, reply;
    for (int i = 0; i < repetitions; ++i) {
        whole.push_back(deliverOnce(dump, capturePath, Stage::Whole, true));
        parser.push_back(deliverOnce(dump, capturePath, Stage::NoTerminal, true));
        bytesOnly.push_back(deliverOnce(dump, capturePath, Stage::NoParser, false));
        reply.push_back(deliverOnce(lines, capturePath, Stage::Whole, false));
    }
    const qint64 captured = QFile(capturePath).size();

    const double wholeS = bench::median(whole);
    const double parserS = bench::median(parser);
    const double bytesOnlyS = bench::median(bytesOnly);
    const double replyS = bench::median(reply);
    std::printf("capture file of the last dump: %lld bytes\n\n", static_cast<long long>(captured));
    std::printf("median of %d runs (min .. max seconds):\n", repetitions);
    std::printf("  dump, whole path   %.4f s (%.4f .. %.4f)\n", wholeS, bench::quantile(whole, 0),
                bench::quantile(whole, 1));
    std::printf("  dump, parser path  %.4f s (%.4f .. %.4f)\n", parserS, bench::quantile(parser, 0),
                bench::quantile(parser, 1));
    std::printf("  dump, no parser    %.4f s (%.4f .. %.4f)\n", bytesOnlyS,
                bench::quantile(bytesOnly, 0), bench::quantile(bytesOnly, 1));
    std::printf("  reply lines        %.4f s (%.4f .. %.4f)\n\n", replyS, bench::quantile(reply, 0),
                bench::quantile(reply, 1));

    bool ok = true;
    bench::summary("dump, whole path: wire bytes/s (MB/s)", dump.size() / wholeS / 1e6, "MB/s");
    ok &= bench::summaryAtLeast("dump, whole path: records/s", records / wholeS, "records/s",
                                1'000'000);
    bench::summary("dump, whole path: ns per record", wholeS / records * 1e9, "ns");
    ok &= bench::summaryAtLeast("dump, receive + lexer + parser + capture", records / parserS,
                                "records/s", 500'000);
    bench::summary("dump, receive path + terminal, no parser", records / bytesOnlyS, "records/s");
    bench::summary("reply lines: wire bytes/s (MB/s)", lines.size() / replyS / 1e6, "MB/s");
    bench::summary("reply lines: lines/s", lineCount / replyS, "lines/s");
    return ok ? 0 : 2;
}
