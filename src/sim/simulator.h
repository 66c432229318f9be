#pragma once

#include <QFile>
#include <QObject>
#include <QTimer>

#include <functional>

#include <memory>

#include "sim/instrument.h"
#include "sim/pty_endpoint.h"
#include "sim/sim_options.h"
#include "sim/tcp_service.h"

namespace nesmo::sim {

// The running simulator: one instrument behind its links (a pseudo-terminal,
// TCP connections or both), with the misbehaviour the options ask for.
class Simulator : public QObject {
    Q_OBJECT
public:
    explicit Simulator(const SimOptions& options, QObject* parent = nullptr);
    ~Simulator() override;

    // Opens the log and the links, then prints the line "ready ..." naming
    // them to the standard output. False, with error set, when something
    // cannot be opened.
    bool start(QString& error);
    // Sends a short burst of random bytes on every link that is between replies.
    void noiseBurst();

private:
    void attach(Endpoint* endpoint);
    void receive(Endpoint* endpoint, const QByteArray& bytes);
    void tick();
    void sendUnasked(const QByteArray& bytes);
    void dropLinks();
    // Closes the links once the endpoint has sent its last reply, then runs then.
    void closeAfterReply(Endpoint* endpoint, std::function<void()> then);
    // The line comes back after a cut: the pseudo-terminal anew at its path, the
    // TCP port listening again.
    void restoreLinks();
    void scheduleNoise();

    SimOptions m_options;
    Instrument m_instrument;
    std::unique_ptr<PtyEndpoint> m_pty;
    TcpService* m_tcp = nullptr;
    QFile m_log;
    QTimer m_tickTimer;
    QTimer m_noiseTimer;
    Random m_random;
    int m_commands = 0;
    bool m_dropping = false;
    bool m_dropped = false;
    bool m_cut = false;  // the firmware transfer has been cut once
    quint16 m_tcpPort = 0;
    // What the instrument said unasked while no TCP connection was open; it
    // goes out, without prompt, at the start of the next connection.
    QByteArray m_heldForTcp;
};

}  // namespace nesmo::sim
