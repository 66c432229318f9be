#include "sim/simulator.h"

#include <cstdio>
#include <memory>
#include <utility>

namespace nesmo::sim {

namespace {
constexpr int kTickMs = 200;
constexpr int kMaxNoiseBytes = 12;
constexpr int kDropDelayMs = 200;
constexpr int kCutMs = 500;
}  // namespace

Simulator::Simulator(const SimOptions& options, QObject* parent)
    : QObject(parent), m_options(options), m_instrument(options.instrument), m_random(options.seed)
{
    connect(&m_tickTimer, &QTimer::timeout, this, &Simulator::tick);
    m_noiseTimer.setSingleShot(true);
    connect(&m_noiseTimer, &QTimer::timeout, this, [this] {
        noiseBurst();
        scheduleNoise();
    });
}

Simulator::~Simulator() = default;

bool Simulator::start(QString& error)
{
    if (!m_options.logPath.isEmpty()) {
        m_log.setFileName(m_options.logPath);
        if (!m_log.open(QIODevice::WriteOnly | QIODevice::Append)) {
            error = QStringLiteral("cannot open log %1: %2")
                        .arg(m_options.logPath, m_log.errorString());
            return false;
        }
    }
    // One line for all links: "ready <slave>", "ready tcp <port>" or both,
    // "ready <slave> tcp <port>".
    QByteArray ready = "ready";
    if (!m_options.ptyPath.isEmpty()) {
        m_pty = PtyEndpoint::create(m_options.ptyPath, m_options.shape, error);
        if (!m_pty) return false;
        attach(m_pty.get());
        ready += ' ' + QFile::encodeName(m_pty->slavePath());
    }
    if (m_options.tcpPort >= 0) {
        m_tcp = new TcpService(m_options.shape, this);
        if (!m_tcp->listen(quint16(m_options.tcpPort), error)) return false;
        connect(m_tcp, &TcpService::connected, this, [this](TcpEndpoint* e) {
            attach(e);
            if (!m_heldForTcp.isEmpty()) e->send(std::exchange(m_heldForTcp, {}));
        });
        m_tcpPort = m_tcp->port();
        ready += " tcp " + QByteArray::number(m_tcpPort);
    }
    m_tickTimer.start(kTickMs);
    if (m_options.noise) scheduleNoise();
    std::fputs(ready.append('\n').constData(), stdout);
    std::fflush(stdout);
    return true;
}

void Simulator::attach(Endpoint* endpoint)
{
    connect(endpoint, &Endpoint::received, this,
            [this, endpoint](const QByteArray& bytes) { receive(endpoint, bytes); });
}

void Simulator::receive(Endpoint* endpoint, const QByteArray& bytes)
{
    if (m_log.isOpen()) {
        m_log.write(bytes);
        m_log.flush();
    }
    if (m_dropping) return;
    for (const QByteArray& command : endpoint->assembler().feed(bytes)) {
        if (splitWords(command).isEmpty()) {
            // A bare CR: nothing to do, or only the prompt.
            if (m_options.promptOnBlank && !m_options.silent) endpoint->send(">");
            continue;
        }
        if (!m_options.silent) {
            Reply reply = m_instrument.respond(command);
            endpoint->send(reply.bytes, std::move(reply.rest));
        }
        if (m_options.cutTransfer > 0 && !m_cut &&
            m_instrument.firmwareRecordsAccepted() >= m_options.cutTransfer) {
            m_cut = true;
            closeAfterReply(endpoint, [this] {
                if (m_tcp) m_tcp->close();
                if (m_pty) m_pty->close();
                std::fputs("cut\n", stdout);
                std::fflush(stdout);
                QTimer::singleShot(kCutMs, this, &Simulator::restoreLinks);
            });
            break;
        }
        if (m_options.dropAfter <= 0 || ++m_commands < m_options.dropAfter) continue;
        closeAfterReply(endpoint, [this] { dropLinks(); });
        break;
    }
}

void Simulator::closeAfterReply(Endpoint* endpoint, std::function<void()> then)
{
    // The last reply still goes out whole, and is given a moment to be read,
    // before the link closes.
    m_dropping = true;
    auto once = std::make_shared<bool>(false);
    const auto soon = [this, once, then] {
        if (std::exchange(*once, true)) return;
        QTimer::singleShot(kDropDelayMs, this, then);
    };
    if (endpoint->idle()) {
        soon();
    } else {
        connect(endpoint, &Endpoint::drained, this, soon);
        connect(endpoint, &QObject::destroyed, this, soon);
    }
}

void Simulator::restoreLinks()
{
    QString error;
    if (!m_options.ptyPath.isEmpty()) {
        // The old endpoint removes its link when it goes: it goes first.
        m_pty.reset();
        m_pty = PtyEndpoint::create(m_options.ptyPath, m_options.shape, error);
        if (m_pty) attach(m_pty.get());
    }
    if (m_tcp && !m_tcp->listen(m_tcpPort, error)) m_tcp = nullptr;
    if (!error.isEmpty()) std::fprintf(stderr, "nesmo7-sim: %s\n", qPrintable(error));
    m_dropping = false;
    std::fputs("back\n", stdout);
    std::fflush(stdout);
}

void Simulator::dropLinks()
{
    if (m_dropped) return;
    m_dropped = true;
    m_noiseTimer.stop();
    // The listener closes first, so that whoever sees the serial line hang up
    // can no longer reach the instrument over TCP either.
    if (m_tcp) m_tcp->close();
    if (m_pty) m_pty->close();
    std::fputs("dropped\n", stdout);
    std::fflush(stdout);
}

void Simulator::tick()
{
    const QByteArray unasked = m_instrument.tick();
    if (!unasked.isEmpty() && !m_options.silent && !m_dropping) sendUnasked(unasked);
}

void Simulator::sendUnasked(const QByteArray& bytes)
{
    if (m_pty && m_pty->isOpen()) m_pty->send(bytes);
    if (!m_tcp) return;
    const QList<TcpEndpoint*> open = m_tcp->endpoints();
    if (!open.isEmpty()) {
        open.last()->send(bytes);
        return;
    }
    // A prompt now would end the reply to the next command before it began.
    QByteArray lines = bytes;
    if (lines.endsWith('>')) lines.chop(1);
    m_heldForTcp += lines;
}

void Simulator::noiseBurst()
{
    if (m_dropping) return;
    QList<Endpoint*> targets;
    if (m_pty && m_pty->isOpen()) targets.append(m_pty.get());
    if (m_tcp)
        for (TcpEndpoint* e : m_tcp->endpoints())
            targets.append(e);
    for (Endpoint* e : targets) {
        if (!e->idle()) continue;
        QByteArray burst(1 + m_random.below(kMaxNoiseBytes), '\0');
        for (char& c : burst)
            c = char(m_random.byte());
        e->send(burst);
    }
}

void Simulator::scheduleNoise()
{
    // Between half and one and a half times the mean interval.
    const int mean = m_options.noiseIntervalMs;
    m_noiseTimer.start(mean / 2 + m_random.below(mean + 1));
}

}  // namespace nesmo::sim
