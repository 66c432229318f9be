#include "link/link.h"

#include <utility>

namespace nesmo {

namespace {
constexpr quint32 kPreviousReplyWaitTicks = 10;  // 550 ms
constexpr int kPanelPollMs = 2000;
constexpr int kWatchdogMs = 3000;
}  // namespace

Link::Link(AppState& state, InstrumentView& view, QObject* parent, const TickClock* clock)
    : QObject(parent),
      state_(state),
      view_(view),
      clock_(clock ? *clock : ownClock_),
      replyTimer_(clock_),
      port_(std::make_unique<Port>(state.NetworkMode, this))
{
    ReceiveHost& host = *this;
    receive_ = std::make_unique<ReceivePath>(state_, queue_, view, host, capture_);
    parser_ = std::make_unique<ReplyParser>(state_, queue_, view, *receive_);
    receive_->setParser([this] { parser_->ParseReplies(); });

    timer1_.setInterval(kPanelPollMs);
    connect(&timer1_, &QTimer::timeout, this, &Link::onTimer1);
    timer1_.start();
    timer2_.setInterval(kWatchdogMs);
    connect(&timer2_, &QTimer::timeout, this, &Link::onTimer2);

    connect(port_.get(), &Port::readyRead, this, &Link::onReadyRead);
    connect(port_.get(), &Port::failed, this, [this] {
        linkBroken_ = true;
        wake();
    });
    connect(port_.get(), &Port::linkLost, this, [this](const QString& reason) {
        // Told once the handler that noticed it has returned, like every message.
        view_.postMessage(reason);
        emit linkLost(reason);
    });
}

Link::~Link()
{
    // The parser and the receive path refer to each other and to members above.
    parser_.reset();
    receive_.reset();
}

void Link::setTerminalVisibility(std::function<bool()> get, std::function<void(bool)> set)
{
    terminalVisibleGet_ = std::move(get);
    terminalVisibleSet_ = std::move(set);
}

void Link::setTerminalVisible(bool visible)
{
    if (terminalVisibleSet_) terminalVisibleSet_(visible);
}

void Link::terminalWrite(const char* data, qsizetype n)
{
    if (!terminalKept_) return;
    terminal_.write(data, n);
    emit terminalChanged();
}

void Link::showInTerminal(const QByteArray& text)
{
    terminalWrite(text.constData(), text.size());
}

void Link::promptReceived()
{
    if (promptsToCome_ > 0) {
        // One of several commands sent as one text has been answered: the reply
        // goes on until the last of them has its prompt.
        --promptsToCome_;
        state_.ReplyComplete = false;
        return;
    }
    // The reply has ended: the quiet-line watchdog has nothing left to end (left
    // running, it would end the next exchange before its reply has come).
    timer2_.stop();
    // In network mode every command runs over a connection of its own.
    if (state_.NetworkMode) port_->close();
}

void Link::onReadyRead()
{
    // One block at a time into the same storage.
    if (readBuffer_.size() < Port::kReadBlock) readBuffer_.resize(Port::kReadBlock);
    for (;;) {
        const qsizetype n = port_->read(readBuffer_.data(), readBuffer_.size());
        if (n == 0) break;
        deliver(QByteArrayView(readBuffer_.constData(), n));
    }
}

void Link::deliver(QByteArrayView bytes)
{
    receivedSinceSend_ += static_cast<quint64>(bytes.size());
    receivedTotal_ += static_cast<quint64>(bytes.size());
    receive_->onCharactersAvailable(bytes.constData(), bytes.size());
    wake();
}

void Link::onTimer1()
{
    timer1_.stop();
    // Never inside another exchange's wait: a tick can arrive in the same pass as
    // the prompt that ended it.
    if (exchanging()) return;
    if (linkOpen() && state_.ReplyComplete && panelVisible_ && panelVisible_())
        SendCommand(QByteArray(cmd::kDisplayPoll));
}

void Link::onTimer2()
{
    state_.ReplyComplete = true;
    timer2_.stop();
    wake();
}

void Link::wake()
{
    for (QEventLoop* loop : std::as_const(waiters_))
        loop->quit();
}

void Link::waitForReplyOrTimeout()
{
    // Blocks in the event loop, not on the processor: woken by received data, the
    // watchdog, a lost link or the reply timer's own deadline.
    while (!state_.ReplyComplete && !replyTimer_.expired() && !linkBroken_ && !closing_) {
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        deadline.start(static_cast<int>(qMax<qint64>(1, replyTimer_.remainingMs())));
        waiters_.append(&loop);
        loop.exec();
        waiters_.removeOne(&loop);
    }
}

int Link::SendCommand(const QByteArray& text, int prompts)
{
    outcome_ = Outcome::NotSent;
    if (closing_) return 0;
    const bool upgradeCommand = std::exchange(upgradeCommand_, false);
    if (state_.FirmwareUpgradeActive && !upgradeCommand) return 0;
    if (!port_->isOpen() && !state_.NetworkMode) return 0;
    ++exchangeDepth_;
    const int result = exchange(text, prompts);
    promptsToCome_ = 0;
    if (--exchangeDepth_ == 0) emit exchangeEnded();
    return result;
}

int Link::SendUpgradeCommand(const QByteArray& text, int prompts)
{
    upgradeCommand_ = true;
    return SendCommand(text, prompts);
}

int Link::exchange(const QByteArray& text, int prompts)
{
    if (linkBroken_) {
        // The port broke since the last exchange: whatever was pending will not come.
        linkBroken_ = false;
        state_.ReplyComplete = true;
    }
    const quint64 connection = connection_;

    if (!state_.ReplyComplete) {
        // A reply is still arriving: give it a little time to end.
        replyTimer_.start(kPreviousReplyWaitTicks);
        waitForReplyOrTimeout();
        if (closing_ || connection != connection_) return 0;
        if (!state_.ReplyComplete) return 0;
    }

    if (!text.isEmpty()) {
        state_.ReplyComplete = false;
        showInTerminal(text);
        receivedSinceSend_ = 0;
        linkBroken_ = false;
        promptsToCome_ = qMax(0, prompts - 1);
        if (!port_->write(text)) {
            // Nothing went out, so no reply can come.
            state_.ReplyComplete = true;
            return 0;
        }
    }
    receive_->clearLine();
    replyTimer_.start(static_cast<quint32>(state_.ReplyTimeoutTicks));
    waitForReplyOrTimeout();

    const bool replyCame = receivedSinceSend_ > 0;
    if (closing_ || connection != connection_) {
        // The program closes, or a new connection started while this one waited:
        // whatever ended the wait was not this command's reply.
        outcome_ = replyCame ? Outcome::Incomplete : Outcome::NotSent;
        return 0;
    }
    if (linkBroken_) {
        // The port broke (device gone, connection refused): no more reply can come.
        linkBroken_ = false;
        state_.ReplyComplete = true;
        outcome_ = replyCame ? Outcome::Incomplete : Outcome::Silent;
        return 0;
    }
    if (!replyTimer_.expired()) {
        if (!timer1_.isActive()) timer1_.start();
    } else if (!state_.ReplyComplete && !replyCame && !text.isEmpty()) {
        // Not a byte came back: the exchange is over. Leaving the reply pending
        // would silently block every later command.
        state_.ReplyComplete = true;
        outcome_ = Outcome::Silent;
        return 0;
    }
    if (!state_.ReplyComplete) {
        outcome_ = Outcome::Incomplete;
        return 0;
    }
    outcome_ = Outcome::Replied;
    return 1;
}

void Link::resetExchange()
{
    ++connection_;
    state_.ReplyComplete = true;
    linkBroken_ = false;
    timer2_.stop();
    receive_->reset();
    wake();
    emit connectionReset();
}

void Link::shutDown()
{
    closing_ = true;
    port_->setAutoOpen(false);
    timer1_.stop();
    timer2_.stop();
    state_.ReplyComplete = true;
    wake();
}

}  // namespace nesmo
