#pragma once

#include <QByteArray>
#include <functional>
#include <string>

#include "core/app_state.h"
#include "core/instrument_view.h"
#include "link/download_capture.h"
#include "reply/download_control.h"
#include "reply/reply_queue.h"

namespace nesmo {

// What the receive path needs from the link that owns it.
class ReceiveHost {
public:
    virtual ~ReceiveHost() = default;
    virtual void restartReplyTimer() = 0;  // ReplyTimer for ReplyTimeoutTicks
    virtual void restartWatchdog() = 0;    // Timer2, the 3000 ms quiet-line watchdog
    virtual void promptReceived() = 0;     // the reply has ended (network mode closes the link)
    virtual void downloadEnded() {}        // a download's text is on the Data text page
    virtual void terminalWrite(const char* data, qsizetype n) = 0;
    // Whether terminalWrite() keeps anything: when not, no text is collected for it.
    virtual bool terminalKept() const { return true; }
    virtual bool terminalVisible() const = 0;
    virtual void setTerminalVisible(bool visible) = 0;
};

// The byte-level receive path: bytes in, effects out; it does no port I/O.
// Whether the bytes arrive one at a time, in random chunks or all at once, the
// lines handed to the parser, the capture and the terminal text are the same.
class ReceivePath final : public DownloadControl {
public:
    // Lines longer than this keep their first kMaxLine bytes; the rest is dropped.
    static constexpr qsizetype kMaxLine = 64 * 1024;

    ReceivePath(AppState& state, ReplyQueue& queue, InstrumentView& view, ReceiveHost& host,
                DownloadCapture& capture);

    // Runs the reply parser at each carriage return.
    void setParser(std::function<void()> parseReplies) { parseReplies_ = std::move(parseReplies); }

    // One port notification carrying these characters.
    void onCharactersAvailable(const char* data, qsizetype n);

    // SendCommand empties the receive line after it has sent.
    void clearLine() { rxLine_.clear(); }
    // A new connection: nothing of the old one is left half-received. A running
    // capture ends (its file keeps what arrived, the page shows it); the line, the
    // queue's unfinished line, the quote state, a binary record in progress and
    // its pending text are dropped.
    void reset();
    const QByteArray& rxLine() const { return rxLine_; }

    // DownloadControl
    void startCapture() override;
    void EndDownload() override;

    // The text of one binary record: ", %10.2f, %5.1f, %4i, %5.0f   ".
    static QByteArray recordText(const unsigned char record[10]);
    // The same into `out`, which has room for kMaxRecordText: its length.
    static constexpr qsizetype kMaxRecordText = 160;
    static qsizetype writeRecordText(const unsigned char record[10], char* out);

private:
    // Text without record markers; true when it held an ordinary character.
    bool enterText(const char* p, qsizetype n);
    void handleCharacter(char c);
    void lineEnd();
    void captureLine(QByteArrayView received);
    void flushTerminal();
    void reportCaptureError();

    AppState& state_;
    ReplyQueue& queue_;
    InstrumentView& view_;
    ReceiveHost& host_;
    DownloadCapture& capture_;
    std::function<void()> parseReplies_;

    QByteArray rxLine_;
    unsigned char record_[10] = {};
    int binaryBytesLeft_ = 0;
    // The text of the record just received, until it enters.
    char pendingText_[kMaxRecordText] = {};
    qsizetype pendingSize_ = 0;
    qsizetype pendingPos_ = 0;
    bool captureReserved_ = false;  // room made for this dump's records
    std::string terminalOut_;
    bool terminalKept_ = true;  // asked of the host at each notification
    QByteArray line_;           // the line being captured
};

}  // namespace nesmo
