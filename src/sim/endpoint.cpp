#include "sim/endpoint.h"

#include <algorithm>
#include <utility>

namespace nesmo::sim {

namespace {

// The bytes made ready at a time: a dump's record lines are made as the link
// takes them, as the instrument reads them from its memory while it sends.
constexpr qsizetype kBlock = 64 * 1024;

}  // namespace

Endpoint::Endpoint(const OutputShape& shape, QObject* parent) : QObject(parent), m_shape(shape)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Endpoint::pump);
    m_lineClock.start();
    if (m_shape.pace) connect(this, &Endpoint::received, this, &Endpoint::noteInput);
}

void Endpoint::noteInput(const QByteArray& bytes)
{
    m_inputFreeUs = std::max(nowUs(), m_inputFreeUs) + lineUs(bytes.size());
}

void Endpoint::send(const QByteArray& bytes, std::shared_ptr<ReplyStream> rest)
{
    if ((bytes.isEmpty() && !rest) || !isOpen()) return;
    if (idle()) {
        m_replyStartUs = std::max(nowUs(), m_inputFreeUs);
        m_pacedBytes = 0;
    }
    m_later.push_back({bytes, std::move(rest)});
    if (!m_timer.isActive()) pump();
}

void Endpoint::refill()
{
    while (m_pending.size() < kBlock && !m_later.empty()) {
        Queued& next = m_later.front();
        if (!next.bytes.isEmpty()) {
            m_pending += std::exchange(next.bytes, {});
            continue;
        }
        if (next.rest && next.rest->more(m_pending, kBlock - m_pending.size())) continue;
        m_later.pop_front();
    }
}

void Endpoint::pump()
{
    refill();
    if (m_pending.isEmpty() || !isOpen()) return;
    qint64 allow = m_pending.size();
    if (m_shape.pace) {
        // Each byte once the line has carried it whole: no more than the line rate.
        const qint64 since = nowUs() - m_replyStartUs;
        const qint64 earned = since <= 0 ? 0 : since * m_shape.bytesPerSecond / 1000000;
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
    refill();
    if (m_pending.isEmpty()) {
        emit drained();
        return;
    }
    const bool chunkDone = m_shape.chunk > 0 && written == m_shape.chunk;
    if (chunkDone) {
        m_timer.start(m_shape.chunkDelayMs);
    } else if (m_shape.pace) {
        // Until the next byte is due at the line rate (in whole milliseconds, never
        // later than due), so that a reply ends when its last byte would on the line.
        const qint64 dueUs = m_replyStartUs + lineUs(m_pacedBytes + 1);
        m_timer.start(int(std::max<qint64>(0, (dueUs - nowUs()) / 1000)));
    } else {
        m_timer.start(0);
    }
}

}  // namespace nesmo::sim
