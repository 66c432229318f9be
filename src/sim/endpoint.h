#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <deque>
#include <memory>

#include "sim/command_text.h"
#include "sim/reply_stream.h"

namespace nesmo::sim {

// How replies leave the simulator: all at once, in chunks with pauses, or
// paced like a serial line.
struct OutputShape {
    int chunk = 0;          // bytes per write, 0 = no limit
    int chunkDelayMs = 20;  // pause after each chunk
    bool pace = false;
    int bytesPerSecond = 1920;  // 19200 baud, 10 bits a character
};

// One link to the program (the pseudo-terminal, or one TCP connection). It
// assembles the received bytes into commands and writes replies in the
// configured shape, never blocking: what cannot be written now waits.
class Endpoint : public QObject {
    Q_OBJECT
public:
    explicit Endpoint(const OutputShape& shape, QObject* parent = nullptr);

    // Queues bytes for the program and, after them, a stream of the rest.
    void send(const QByteArray& bytes, std::shared_ptr<ReplyStream> rest = {});
    // Nothing is waiting to be written.
    bool idle() const { return m_pending.isEmpty() && m_later.empty(); }
    virtual bool isOpen() const = 0;
    // Closes the link; nothing is received or sent afterwards.
    virtual void close() = 0;

    CommandAssembler& assembler() { return m_assembler; }

signals:
    void received(const QByteArray& bytes);
    // Everything queued so far has been written.
    void drained();

protected:
    // Writes up to size bytes; returns how many were taken, 0 when the link
    // cannot take more now (the subclass calls pump() when it can), -1 on error.
    virtual qint64 writeSome(const char* data, qint64 size) = 0;
    // Writes what the shape allows now and schedules the rest.
    void pump();
    void dropPending()
    {
        m_pending.clear();
        m_later.clear();
    }

private:
    // A paced line carries the program's bytes at the line rate too: a reply can
    // start only once the command's last byte has arrived.
    void noteInput(const QByteArray& bytes);
    qint64 nowUs() const { return m_lineClock.nsecsElapsed() / 1000; }
    qint64 lineUs(qint64 bytes) const { return bytes * 1000000 / m_shape.bytesPerSecond; }

    // Keeps a block of bytes ready while more are queued behind it.
    void refill();

    struct Queued {
        QByteArray bytes;
        std::shared_ptr<ReplyStream> rest;
    };

    OutputShape m_shape;
    CommandAssembler m_assembler;
    QByteArray m_pending;        // ready to be written
    std::deque<Queued> m_later;  // behind it, in order; streams made as they are taken
    QTimer m_timer;
    QElapsedTimer m_lineClock;
    qint64 m_inputFreeUs = 0;   // when the program's bytes so far have all arrived
    qint64 m_replyStartUs = 0;  // when the queue last became busy (not before the input)
    qint64 m_pacedBytes = 0;    // bytes written since then
};

}  // namespace nesmo::sim
