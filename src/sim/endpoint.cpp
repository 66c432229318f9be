#include "sim/endpoint.h"

#include <algorithm>

namespace nesmo::sim {

namespace {
// The shortest pause of a paced link; the next pause lasts until the next byte is due.
constexpr qint64 kPaceTickMs = 1;
}  // namespace

Endpoint::Endpoint(const OutputShape& shape, QObject* parent) : QObject(parent), m_shape(shape)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Endpoint::pump);
}

void Endpoint::send(const QByteArray& bytes)
{
    if (bytes.isEmpty() || !isOpen()) return;
    if (m_pending.isEmpty()) {
        m_paceClock.start();
        m_pacedBytes = 0;
    }
    m_pending += bytes;
    if (!m_timer.isActive()) pump();
}

void Endpoint::pump()
{
    if (m_pending.isEmpty() || !isOpen()) return;
    qint64 allow = m_pending.size();
    if (m_shape.pace) {
        // One byte at once, then no more than the line rate allows on average.
        const qint64 earned = 1 + m_paceClock.elapsed() * m_shape.bytesPerSecond / 1000;
        allow = std::min(allow, earned - m_pacedBytes);
    }
    if (m_shape.chunk > 0) allow = std::min<qint64>(allow, m_shape.chunk);

    qint64 written = 0;
    if (allow > 0) {
        written = writeSome(m_pending.constData(), allow);
        if (written < 0) {
            m_pending.clear();
            return;
        }
        m_pending.remove(0, int(written));
        m_pacedBytes += written;
        if (written < allow) return;  // the link is full; the subclass pumps again
    }
    if (m_pending.isEmpty()) {
        emit drained();
        return;
    }
    const bool chunkDone = m_shape.chunk > 0 && written == m_shape.chunk;
    if (chunkDone) {
        m_timer.start(m_shape.chunkDelayMs);
    } else if (m_shape.pace) {
        // Until the next byte is due at the line rate, so that a reply ends when its
        // last byte would on the line, not on a coarse tick.
        const qint64 due =
            (m_pacedBytes * 1000 + m_shape.bytesPerSecond - 1) / m_shape.bytesPerSecond;
        m_timer.start(int(std::max(kPaceTickMs, due - m_paceClock.elapsed())));
    } else {
        m_timer.start(0);
    }
}

}  // namespace nesmo::sim
