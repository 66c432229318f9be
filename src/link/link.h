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
#include "link/port.h"
#include "link/receive_path.h"
#include "link/terminal_buffer.h"
#include "link/ticks.h"
#include "reply/reply_parser.h"
#include "reply/reply_queue.h"

namespace nesmo {

// The instrument link: the port, the send-and-wait exchange of one command, the
// receive path with the reply interpreter behind it, the terminal buffer and the
// timers Timer1 (panel poll) and Timer2 (quiet-line watchdog).
class Link : public QObject, private ReceiveHost {
    Q_OBJECT

public:
    Link(AppState& state, InstrumentView& view, QObject* parent = nullptr,
         const TickClock* clock = nullptr);
    ~Link() override;

    Port& port() { return *port_; }
    ReplyQueue& queue() { return queue_; }
    ReplyParser& parser() { return *parser_; }
    ReceivePath& receivePath() { return *receive_; }
    TerminalBuffer& terminal() { return terminal_; }
    DownloadCapture& capture() { return capture_; }
    QTimer& timer1() { return timer1_; }
    QTimer& timer2() { return timer2_; }

    // Network mode counts as open: its connection opens by itself at the next command.
    bool linkOpen() const { return port_->isOpen() || state_.NetworkMode; }

    // Writes one command and waits, running the event loop, until the reply has
    // ended (1) or the reply timer expired (0). An empty text only waits for the
    // end of the current reply.
    int SendCommand(const QByteArray& text);

    // A new connection starts with no reply pending.
    void resetExchange();
    // Stops every wait (the main window closes).
    void markReplyComplete();

    // Echo of a command (and anything else to be shown) in the terminal view.
    void showInTerminal(const QByteArray& text);

    // The terminal view's visibility, owned by the window.
    void setTerminalVisibility(std::function<bool()> get, std::function<void(bool)> set);
    // The panel window's visibility, for the panel poll.
    void setPanelVisible(std::function<bool()> visible) { panelVisible_ = std::move(visible); }

    // The port's data as it arrives; public so that tests and benchmarks can
    // drive the receive path the same way the port does.
    void deliver(const QByteArray& bytes);

signals:
    void terminalChanged();
    void linkLost(const QString& reason);

private:
    // ReceiveHost
    void restartReplyTimer() override { replyTimer_.start(state_.ReplyTimeoutTicks); }
    void restartWatchdog() override { timer2_.start(); }
    void promptReceived() override;
    void terminalWrite(const char* data, qsizetype n) override;
    bool terminalVisible() const override { return terminalVisibleGet_ && terminalVisibleGet_(); }
    void setTerminalVisible(bool visible) override;

    void onReadyRead();
    void onTimer1();
    void onTimer2();
    void waitForReplyOrTimeout();
    void wake();

    AppState& state_;
    MonotonicClock ownClock_;
    const TickClock& clock_;
    ReplyTimer replyTimer_;
    ReplyQueue queue_;
    DownloadCapture capture_;
    TerminalBuffer terminal_;
    std::unique_ptr<Port> port_;
    std::unique_ptr<ReceivePath> receive_;
    std::unique_ptr<ReplyParser> parser_;
    QTimer timer1_;
    QTimer timer2_;
    QList<QEventLoop*> waiters_;
    quint64 receivedSinceSend_ = 0;
    bool linkBroken_ = false;  // the port broke during the current exchange
    std::function<bool()> terminalVisibleGet_;
    std::function<void(bool)> terminalVisibleSet_;
    std::function<bool()> panelVisible_;
};

}  // namespace nesmo
