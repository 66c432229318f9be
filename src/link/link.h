#pragma once

#include <QByteArray>
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

#include "core/app_state.h"
#include "core/instrument_view.h"
#include "link/commands.h"
#include "link/download_capture.h"
#include "link/operation_lock.h"
#include "link/port.h"
#include "link/receive_path.h"
#include "link/terminal_buffer.h"
#include "link/ticks.h"
#include "reply/instrument_model.h"
#include "reply/reply_parser.h"
#include "reply/reply_queue.h"

namespace nesmo {

// The instrument link: the port, the send-and-wait exchange of one command, the
// receive path with the reply interpreter behind it, the terminal buffer and the
// timers Timer1 (panel poll) and Timer2 (quiet-line watchdog).
class Link : public QObject, private ReceiveHost {
    Q_OBJECT

public:
    // How the last exchange went. SendCommand's result is 1 only for Replied.
    enum class Outcome {
        Replied,     // the reply ended (prompt or quiet line)
        Incomplete,  // bytes came back, but the reply did not end in time
        Silent,      // sent, and not a byte came back
        NotSent,     // link closed or closing, a previous reply still arriving, or the write failed
    };

    Link(AppState& state, InstrumentView& view, QObject* parent = nullptr,
         const TickClock* clock = nullptr);
    ~Link() override;

    Port& port() { return *port_; }
    ReplyQueue& queue() { return queue_; }
    ReplyParser& parser() { return *parser_; }
    // What the instrument has reported on this link, as typed values.
    InstrumentModel& model() { return model_; }
    ReceivePath& receivePath() { return *receive_; }
    TerminalBuffer& terminal() { return terminal_; }
    // Whether what the line carries is kept for a terminal view (on unless a
    // program without one switches it off).
    void setTerminalKept(bool kept) { terminalKept_ = kept; }
    DownloadCapture& capture() { return capture_; }
    QTimer& timer1() { return timer1_; }
    QTimer& timer2() { return timer2_; }

    // Network mode counts as open while its connection may open by itself at the
    // next command (the operator has not closed it).
    bool linkOpen() const
    {
        return !closing_ && (port_->isOpen() || (state_.NetworkMode && port_->autoOpen()));
    }

    // Writes one command and waits, running the event loop, until the reply has
    // ended (1) or the reply timer expired (0). An empty text only waits for the
    // end of the current reply. A text that holds several commands gets one
    // prompt for each: `prompts` says how many end its reply (in network mode the
    // connection stays open until the last).
    int SendCommand(const QByteArray& text, int prompts = 1);
    Outcome lastOutcome() const { return outcome_; }
    // Every byte received from the instrument since the link was made.
    quint64 bytesReceived() const { return receivedTotal_; }
    // An exchange is running (SendCommand is waiting).
    bool exchanging() const { return exchangeDepth_ > 0; }
    // The long operation that holds the conversation with the instrument, if any.
    OperationLock& operations() { return operations_; }

    // A new connection starts clean: no reply pending, nothing half-received, no
    // capture running, no watchdog left over from the old one.
    void resetExchange();
    // While a firmware transfer runs (FirmwareUpgradeActive) only the transfer's own
    // commands go out: each is sent through SendUpgradeCommand. Any other command
    // (a panel poll or key, a page's query, also one started while a transfer's
    // command waits for its reply) is refused at once, not sent (NotSent).
    int SendUpgradeCommand(const QByteArray& text, int prompts = 1);

    // The program is closing: every wait ends now, and every later command
    // returns 0 at once without writing or reconnecting.
    void shutDown();
    bool closing() const { return closing_; }

    // Runs the panel poll now (RefreshPanel).
    void pollPanel() { onTimer1(); }

    // Echo of a command (and anything else to be shown) in the terminal view.
    void showInTerminal(const QByteArray& text);

    // The terminal view's visibility, owned by the window.
    void setTerminalVisibility(std::function<bool()> get, std::function<void(bool)> set);
    // The panel window's visibility, for the panel poll.
    void setPanelVisible(std::function<bool()> visible) { panelVisible_ = std::move(visible); }

    // The port's data as it arrives; public so that tests and benchmarks can
    // drive the receive path the same way the port does.
    void deliver(QByteArrayView bytes);

signals:
    void terminalChanged();
    // The link broke (its message is already queued for the operator).
    void linkLost(const QString& reason);
    // A new connection has started (resetExchange): what the old one was
    // waiting for will not come over it.
    void connectionReset();
    // The outermost exchange has ended: no command waits for its reply now.
    void exchangeEnded();
    // A download has ended and its text is on the Data text page.
    void dumpFinished();

private:
    // ReceiveHost
    void restartReplyTimer() override { replyTimer_.start(state_.ReplyTimeoutTicks); }
    void downloadEnded() override { emit dumpFinished(); }
    void restartWatchdog() override { timer2_.start(); }
    void promptReceived() override;
    void terminalWrite(const char* data, qsizetype n) override;
    bool terminalKept() const override { return terminalKept_; }
    bool terminalVisible() const override { return terminalVisibleGet_ && terminalVisibleGet_(); }
    void setTerminalVisible(bool visible) override;

    void onReadyRead();
    void onTimer1();
    void onTimer2();
    void waitForReplyOrTimeout();
    int exchange(const QByteArray& text, int prompts);
    void wake();

    AppState& state_;
    InstrumentView& view_;
    MonotonicClock ownClock_;
    const TickClock& clock_;
    ReplyTimer replyTimer_;
    ReplyQueue queue_;
    DownloadCapture capture_;
    TerminalBuffer terminal_;
    bool terminalKept_ = true;
    std::unique_ptr<Port> port_;
    QByteArray readBuffer_;  // the block the port is read into
    std::unique_ptr<ReceivePath> receive_;
    std::unique_ptr<ReplyParser> parser_;
    InstrumentModel model_;
    QTimer timer1_;
    QTimer timer2_;
    OperationLock operations_;
    QList<QEventLoop*> waiters_;
    quint64 receivedSinceSend_ = 0;
    quint64 receivedTotal_ = 0;
    bool linkBroken_ = false;  // the port broke during the current exchange
    bool closing_ = false;
    Outcome outcome_ = Outcome::Replied;
    int exchangeDepth_ = 0;
    bool upgradeCommand_ = false;  // the command being sent is the transfer's own
    int promptsToCome_ = 0;        // prompts the current reply still has after the next one
    quint64 connection_ = 0;       // counts resets: a wait that spans one has lost its reply
    std::function<bool()> terminalVisibleGet_;
    std::function<void(bool)> terminalVisibleSet_;
    std::function<bool()> panelVisible_;
};

}  // namespace nesmo
