#pragma once

#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include "sim/endpoint.h"

namespace nesmo::sim {

// One accepted TCP connection. The program opens one for each command and
// closes it after the prompt.
class TcpEndpoint : public Endpoint {
    Q_OBJECT
public:
    TcpEndpoint(QTcpSocket* socket, const OutputShape& shape, QObject* parent);
    bool isOpen() const override;
    // Closes the connection once what the socket holds has gone out.
    void close() override;

signals:
    void closed();

protected:
    qint64 writeSome(const char* data, qint64 size) override;

private:
    QPointer<QTcpSocket> m_socket;
    bool m_closing = false;
};

// The instrument behind a network serial server: listens on 127.0.0.1 and
// hands each new connection out as an endpoint.
class TcpService : public QObject {
    Q_OBJECT
public:
    explicit TcpService(const OutputShape& shape, QObject* parent = nullptr);

    // Listens on the port (0 picks a free one); false with error set on failure.
    bool listen(quint16 port, QString& error);
    quint16 port() const { return m_server.serverPort(); }
    // Stops listening and closes every connection.
    void close();
    // The connections now open, oldest first.
    QList<TcpEndpoint*> endpoints() const;

signals:
    void connected(TcpEndpoint* endpoint);

private:
    void accept();

    OutputShape m_shape;
    QTcpServer m_server;
    QList<QPointer<TcpEndpoint>> m_endpoints;
};

}  // namespace nesmo::sim
