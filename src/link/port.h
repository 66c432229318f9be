#pragma once

#include <QObject>
#include <QSerialPort>
#include <QTcpSocket>
#include <functional>
#include <optional>

#include "link/port_map.h"

namespace nesmo {

// The one port object through which the program reaches the instrument: a serial
// port (19200 8N1, no flow control, DTR on, RTS off), or in network mode a TCP
// client that is opened when a command is written and closed after each reply.
// Who may open a device, as its file says.
struct DeviceAccess {
    bool known = false;  // the device's file could be read
    unsigned mode = 0;   // permission bits
    QString owner;
    QString group;
    bool rootGroup = false;  // the group is root's (gid 0)
};
DeviceAccess deviceAccess(const QString& device);
// The name of the user the program runs as.
QString currentUserName();

// What to tell a user who may not open the device: joining its group only where
// that group may read and write it and is not root's; otherwise who may open it.
QString permissionAdvice(const QString& device, const DeviceAccess& access, const QString& user);

class Port : public QObject {
    Q_OBJECT

public:
    enum class Failure { None, Busy, NotFound, PermissionDenied, NoSelection, Other };
    struct OpenError {
        Failure kind = Failure::None;
        QString device;
        QString text;  // what to tell the operator
    };

    explicit Port(bool networkMode, QObject* parent = nullptr);
    ~Port() override;

    bool networkMode() const { return network_; }

    // Serial port number n of COMn; 0 = none chosen.
    int portNumber() const { return number_; }
    void setPortNumber(int n) { number_ = n; }
    PortMap& portMap() { return map_; }

    // Shown when a serial port is to be opened while its number is 0. Returns the
    // chosen number, or nothing when the operator cancelled.
    using Chooser = std::function<std::optional<int>()>;
    void setChooser(Chooser chooser) { chooser_ = std::move(chooser); }

    // Decides whether a device refused as "permission denied" is really not
    // accessible to this user (as opposed to held by another program).
    using AccessCheck = std::function<bool(const QString& device)>;
    void setAccessCheck(AccessCheck check) { access_ = std::move(check); }

    void setAutoOpen(bool on) { autoOpen_ = on; }
    bool autoOpen() const { return autoOpen_; }

    void setHostAddress(const QString& host) { host_ = host.trimmed(); }
    QString hostAddress() const { return host_; }
    void setTcpPort(quint16 port) { tcpPort_ = port; }
    quint16 tcpPort() const { return tcpPort_; }

    // Opens the link; on failure the port is closed and lastError() says why.
    bool open();
    void close();
    bool isOpen() const;
    OpenError lastError() const { return error_; }

    // Writes the whole text; a closed network link is opened first.
    bool write(const QByteArray& data);
    static constexpr qsizetype kReadBlock = 64 * 1024;
    // Up to `max` received bytes into `to`: their count, 0 when none are waiting.
    qsizetype read(char* to, qsizetype max);
    void discardBuffers();

    // Tries a device as the port selection dialog does: can it be opened now, or
    // is it only held by another program?
    enum class Probe { Available, Busy, NoPermission, Unavailable };
    Probe probe(const QString& device) const;

    // The device path behind a port number.
    QString devicePath(int number) const { return map_.devicePath(number); }

signals:
    void readyRead();
    // The link broke while open (device gone, peer reset or refused). Emitted once
    // per break; the port is closed when this arrives.
    void linkLost(const QString& reason);
    // Every failure of the link, told or not: whatever was awaited will not come.
    void failed();
    void networkConnected();
    void networkDisconnected();

private:
    bool openSerial();
    bool openNetwork();
    void onSerialError(QSerialPort::SerialPortError e);
    // A lost device, a broken connection or a failed write: told once per break
    // (the caller has closed the link).
    void reportLoss(const QString& reason);
    void onSocketError(QAbstractSocket::SocketError e);
    OpenError classifySerialFailure(QSerialPort::SerialPortError e, const QString& device,
                                    const QString& detail) const;

    bool network_;
    int number_ = 0;
    PortMap map_;
    Chooser chooser_;
    AccessCheck access_;
    bool autoOpen_ = true;
    QString host_ = QStringLiteral("127.0.0.1");
    quint16 tcpPort_ = 1000;
    OpenError error_;
    QSerialPort* serial_ = nullptr;
    QTcpSocket* socket_ = nullptr;
    bool lostReported_ = false;
};

}  // namespace nesmo
