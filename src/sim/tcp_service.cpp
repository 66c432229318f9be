#include "sim/tcp_service.h"

#include <algorithm>

namespace nesmo::sim {

namespace {

constexpr qint64 kSocketAhead = 128 * 1024;

}  // namespace

TcpEndpoint::TcpEndpoint(QTcpSocket* socket, const OutputShape& shape, QObject* parent)
    : Endpoint(shape, parent), m_socket(socket)
{
    socket->setParent(this);
    connect(socket, &QTcpSocket::readyRead, this, [this] {
        if (m_socket) emit received(m_socket->readAll());
    });
    // A reply waits in the socket's buffer no more than a block or two ahead of
    // the system's: the rest is made when the program has taken that.
    connect(socket, &QTcpSocket::bytesWritten, this, [this] {
        if (m_socket && m_socket->bytesToWrite() < kSocketAhead) pump();
    });
    connect(socket, &QTcpSocket::disconnected, this, [this] {
        dropPending();
        emit closed();
        deleteLater();
    });
}

bool TcpEndpoint::isOpen() const
{
    return !m_closing && m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

void TcpEndpoint::close()
{
    if (m_closing) return;
    m_closing = true;
    dropPending();
    if (m_socket && m_socket->state() != QAbstractSocket::UnconnectedState) {
        m_socket->disconnectFromHost();  // "disconnected" follows and deletes this
    } else {
        emit closed();
        deleteLater();
    }
}

qint64 TcpEndpoint::writeSome(const char* data, qint64 size)
{
    if (!m_socket) return -1;
    const qint64 room = kSocketAhead - m_socket->bytesToWrite();
    if (room <= 0) return 0;
    return m_socket->write(data, std::min(size, room));
}

TcpService::TcpService(const OutputShape& shape, QObject* parent) : QObject(parent), m_shape(shape)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TcpService::accept);
}

bool TcpService::listen(quint16 port, QString& error)
{
    if (m_server.listen(QHostAddress::LocalHost, port)) return true;
    error =
        QStringLiteral("cannot listen on 127.0.0.1:%1: %2").arg(port).arg(m_server.errorString());
    return false;
}

void TcpService::accept()
{
    m_endpoints.removeAll(QPointer<TcpEndpoint>());
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        auto* endpoint = new TcpEndpoint(socket, m_shape, this);
        m_endpoints.append(endpoint);
        emit connected(endpoint);
        // Bytes that came with the connection itself.
        if (socket->bytesAvailable() > 0) emit endpoint->received(socket->readAll());
    }
}

void TcpService::close()
{
    m_server.close();
    for (const QPointer<TcpEndpoint>& e : std::as_const(m_endpoints))
        if (e) e->close();
    m_endpoints.clear();
}

QList<TcpEndpoint*> TcpService::endpoints() const
{
    QList<TcpEndpoint*> open;
    for (const QPointer<TcpEndpoint>& e : m_endpoints)
        if (e && e->isOpen()) open.append(e);
    return open;
}

}  // namespace nesmo::sim
