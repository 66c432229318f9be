// Arbitrary instrument bytes through the receive path, the reply queue, the lexer
// and the reply parser with the setting handlers, with the download capture writing a real file.
//
// Input layout:
//   byte 0   set-up: bits 0-1 DeviceFilterNumber (0, 3, 7, 255), bit 2 Alarm128Visible,
//            bits 3-4 FirmwareVersion (0, 66, 126, 128), bits 5 and 7 the capture file
//            (a temporary file, a path that cannot be created, /dev/full), bit 6 the
//            terminal view starts visible
//   byte 1   low nibble k: the next k bytes are notification sizes (each + 1, used in
//            turn); k = 0 delivers one byte per notification
//   rest     the bytes the port delivers
//
// Each input runs twice: split into notifications as above, and in a single
// notification. Besides not crashing, leaking or hanging, both runs must hand the
// same lines to the parser and leave the same capture, terminal text, window
// state and program state: how the port happens to split its data must not
// change what the program makes of it.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>

#include "core/app_state.h"
#include "fuzz_view.h"
#include "link/download_capture.h"
#include "link/receive_path.h"
#include "link/terminal_buffer.h"
#include "reply/config_handlers.h"
#include "reply/reply_parser.h"
#include "reply/reply_queue.h"

namespace {

using namespace nesmo;

[[noreturn]] void mismatch(const char* what)
{
    std::fprintf(stderr, "fuzz_replies: the two deliveries differ in %s\n", what);
    std::abort();
}

#define EXPECT_SAME(field) \
    if (!(a.field == b.field)) mismatch(#field)

enum class CaptureTarget { TempFile, Uncreatable, DeviceFull };

struct Setup {
    int deviceFilter = 0;
    bool alarm128Visible = false;
    int firmwareVersion = 0;
    CaptureTarget capture = CaptureTarget::TempFile;
    bool terminalVisible = false;
};

Setup decodeSetup(uint8_t b)
{
    static constexpr int kDevices[4] = {0, 3, 7, 255};
    static constexpr int kVersions[4] = {0, 66, 126, 128};
    Setup s;
    s.deviceFilter = kDevices[b & 3];
    s.alarm128Visible = (b & 4) != 0;
    s.firmwareVersion = kVersions[(b >> 3) & 3];
    const int target = ((b >> 5) & 1) | ((b >> 6) & 2);
    s.capture = target == 1   ? CaptureTarget::Uncreatable
                : target == 2 ? CaptureTarget::DeviceFull
                              : CaptureTarget::TempFile;
    s.terminalVisible = (b & 64) != 0;
    return s;
}

const QTemporaryDir& captureDir()
{
    static const QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/nesmo-fuzz-XXXXXX"));
    return dir;
}

QString capturePath(CaptureTarget target, const char* name)
{
    switch (target) {
        case CaptureTarget::Uncreatable:
            return QStringLiteral("/dev/null/") + QLatin1String(name);  // under a non-folder
        case CaptureTarget::DeviceFull: return QStringLiteral("/dev/full");
        case CaptureTarget::TempFile: break;
    }
    return captureDir().filePath(QLatin1String(name));
}

// The capture file of an earlier input must not pass for this one's.
QString freshCapturePath(CaptureTarget target, const char* name)
{
    const QString path = capturePath(target, name);
    if (target == CaptureTarget::TempFile) QFile::remove(path);
    return path;
}

// The terminal host also keeps the real terminal buffer, as the link does.
class Host final : public ReceiveHost {
public:
    void restartReplyTimer() override {}
    void restartWatchdog() override {}
    void promptReceived() override { recorded.promptReceived(); }
    void downloadEnded() override { recorded.downloadEnded(); }
    void terminalWrite(const char* data, qsizetype n) override
    {
        recorded.terminalWrite(data, n);
        buffer.write(data, n);
    }
    bool terminalVisible() const override { return recorded.terminalVisible(); }
    void setTerminalVisible(bool v) override { recorded.setTerminalVisible(v); }

    fuzz::RecordingHost recorded;
    TerminalBuffer buffer;
};

struct Run {
    Run(const Setup& s, const char* captureName)
        : capture(freshCapturePath(s.capture, captureName)),
          rx(state, queue, view, host, capture),
          parser(state, queue, view, rx)
    {
        state.DeviceFilterNumber = s.deviceFilter;
        state.Alarm128Visible = s.alarm128Visible;
        state.FirmwareVersion = s.firmwareVersion;
        host.recorded.visible = s.terminalVisible;
        parser.setDiagnosticStream(&diagnostics);
        rx.setParser([this] { parser.ParseReplies(); });
        installConfigHandlers(parser, view, state, model);
    }

    void deliver(const uint8_t* data, size_t n)
    {
        rx.onCharactersAvailable(reinterpret_cast<const char*>(data), static_cast<qsizetype>(n));
    }

    AppState state;
    ReplyQueue queue;
    fuzz::RecordingView view;
    Host host;
    DownloadCapture capture;
    ReceivePath rx;
    ReplyParser parser;
    InstrumentModel model;
    std::ostringstream diagnostics;
};

// A failed write of the capture file is reported once per capture, when it is
// noticed; when that is depends on where the notifications end.
QStringList withoutCaptureErrors(QStringList messages)
{
    messages.removeIf([](const QString& m) {
        return m.startsWith(QLatin1String("The download could not be written"));
    });
    return messages;
}

bool sameBits(double x, double y)
{
    return std::memcmp(&x, &y, sizeof x) == 0;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void checkOwnInvariants(const Run& r, const Setup& s)
{
    // Downloading is exactly "a capture is open".
    if (r.state.Downloading != r.capture.isOpen()) mismatch("Downloading vs open capture");
    if (s.capture == CaptureTarget::TempFile) {
        // A capture that could be written is on disk whole, also while it still runs.
        if (!r.capture.error().isEmpty()) mismatch("capture error on a writable file");
        if (QFile::exists(r.capture.path()) && readAll(r.capture.path()) != r.capture.text())
            mismatch("capture file vs captured text");
    }
}

void compare(const Run& a, const Run& b)
{
    EXPECT_SAME(capture.text());
    EXPECT_SAME(capture.isOpen());
    EXPECT_SAME(host.recorded.terminal);
    EXPECT_SAME(host.recorded.visible);
    EXPECT_SAME(host.recorded.visibilityChanges);
    EXPECT_SAME(host.recorded.prompts);
    EXPECT_SAME(host.buffer.rows());
    EXPECT_SAME(rx.rxLine());
    EXPECT_SAME(queue.size());
    EXPECT_SAME(queue.LineCount());
    EXPECT_SAME(diagnostics.str());

    EXPECT_SAME(view.texts);
    EXPECT_SAME(view.checked);
    EXPECT_SAME(view.indexes);
    EXPECT_SAME(view.items);
    EXPECT_SAME(view.analogRangeBox);
    EXPECT_SAME(view.panelColour);
    EXPECT_SAME(view.visible);
    EXPECT_SAME(view.enabled);
    EXPECT_SAME(view.dataStatus);
    EXPECT_SAME(view.dataText);
    EXPECT_SAME(view.dataTextSet);
    EXPECT_SAME(view.dataTextCleared);
    EXPECT_SAME(view.dataTextPageShown);
    EXPECT_SAME(view.progressMaximum);
    EXPECT_SAME(view.progressPosition);
    EXPECT_SAME(view.progressShown);
    EXPECT_SAME(view.reformatEnded);
    if (withoutCaptureErrors(a.view.messages) != withoutCaptureErrors(b.view.messages))
        mismatch("view.messages");

    // ReplyComplete is cleared by every notification, so it is left out.
    EXPECT_SAME(state.Downloading);
    EXPECT_SAME(state.KeepLinePrefix);
    EXPECT_SAME(state.TerminalHiddenByDownload);
    EXPECT_SAME(state.InQuotes);
    EXPECT_SAME(state.RecordCount);
    EXPECT_SAME(state.RecordsLeft);
    if (!sameBits(a.state.RecordTime, b.state.RecordTime)) mismatch("state.RecordTime");
    if (!sameBits(a.state.RecordPeriod, b.state.RecordPeriod)) mismatch("state.RecordPeriod");
    EXPECT_SAME(state.InstrumentRunning);
    EXPECT_SAME(state.FirmwareVersion);
    EXPECT_SAME(state.SettingsBackedUp);
    EXPECT_SAME(state.SettingsRestored);
    EXPECT_SAME(state.TransferStatus);
    EXPECT_SAME(state.Alarm128Visible);
    EXPECT_SAME(host.recorded.downloadsEnded);
    EXPECT_SAME(state.CurrentFileName);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) return 0;
    const Setup setup = decodeSetup(data[0]);
    const size_t sizeCount = data[1] & 0x0F;
    if (size < 2 + sizeCount) return 0;
    const uint8_t* sizes = data + 2;
    const uint8_t* bytes = data + 2 + sizeCount;
    const size_t n = size - 2 - sizeCount;

    auto split = std::make_unique<Run>(setup, "split.txt");
    size_t at = 0;
    for (size_t i = 0; at < n; ++i) {
        const size_t chunk = sizeCount == 0 ? 1 : size_t{sizes[i % sizeCount]} + 1;
        const size_t take = chunk < n - at ? chunk : n - at;
        split->deliver(bytes + at, take);
        at += take;
    }
    checkOwnInvariants(*split, setup);

    auto whole = std::make_unique<Run>(setup, "whole.txt");
    if (n > 0) whole->deliver(bytes, n);
    checkOwnInvariants(*whole, setup);

    compare(*split, *whole);
    return 0;
}
