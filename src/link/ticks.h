#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

namespace nesmo {

// The 55 ms tick of the reply timers. The tick count is a monotonic millisecond
// clock divided by 55, taken modulo kTickWrap (about 24.9 days) so that the
// arithmetic below is the one a wrapping counter needs.
inline constexpr qint64 kTickMs = 55;
inline constexpr quint32 kTickWrap = 39045157;

class TickClock {
public:
    virtual ~TickClock() = default;
    virtual qint64 milliseconds() const = 0;
    quint32 ticks() const { return static_cast<quint32>((milliseconds() / kTickMs) % kTickWrap); }
};

class MonotonicClock final : public TickClock {
public:
    MonotonicClock() { timer_.start(); }
    qint64 milliseconds() const override { return timer_.elapsed(); }

private:
    QElapsedTimer timer_;
};

// A timer started for N ticks has expired once the tick count is greater than
// the count at its start plus N: it lasts between N x 55 and (N + 1) x 55 ms.
class ReplyTimer {
public:
    explicit ReplyTimer(const TickClock& clock) : clock_(&clock) {}

    void start(quint32 ticks)
    {
        start_ = clock_->ticks();
        length_ = qMin(ticks, kTickWrap - 2);
        running_ = true;
    }
    bool expired() const { return !running_ || elapsedTicks() > length_; }
    // Milliseconds until expired() turns true (0 when it already has).
    qint64 remainingMs() const
    {
        if (expired()) return 0;
        const qint64 ms = clock_->milliseconds();
        return (static_cast<qint64>(length_) + 1 - elapsedTicks()) * kTickMs - ms % kTickMs;
    }

private:
    quint32 elapsedTicks() const { return (clock_->ticks() + kTickWrap - start_) % kTickWrap; }

    const TickClock* clock_;
    quint32 start_ = 0;
    quint32 length_ = 0;
    bool running_ = false;
};

}  // namespace nesmo
