#include "link/port.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>

namespace nesmo {

namespace {

bool defaultAccessCheck(const QString& device)
{
    return ::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0;
}

}  // namespace

QString currentUserName()
{
    if (const passwd* pw = ::getpwuid(::getuid())) return QString::fromLocal8Bit(pw->pw_name);
    return QStringLiteral("$USER");
}

DeviceAccess deviceAccess(const QString& device)
{
    DeviceAccess a;
    struct stat st {};
    if (::stat(QFile::encodeName(device).constData(), &st) != 0) return a;
    a.known = true;
    a.mode = st.st_mode & 07777;
    const passwd* pw = ::getpwuid(st.st_uid);
    a.owner = pw ? QString::fromLocal8Bit(pw->pw_name) : QString::number(st.st_uid);
    const group* g = ::getgrgid(st.st_gid);
    a.group = g ? QString::fromLocal8Bit(g->gr_name) : QString::number(st.st_gid);
    a.rootGroup = st.st_gid == 0;
    return a;
}

QString permissionAdvice(const QString& device, const DeviceAccess& a, const QString& user)
{
    const QString head = QStringLiteral("No permission to use the serial port %1.").arg(device);
    if (!a.known) return head;
    constexpr unsigned kGroupReadWrite = S_IRGRP | S_IWGRP;
    if ((a.mode & kGroupReadWrite) == kGroupReadWrite && !a.rootGroup)
        return head + QStringLiteral(
                          "\nThe device belongs to the group \"%1\". Give your user access "
                          "with\n    sudo usermod -aG %1 %2\nthen log out and in again.")
                          .arg(a.group, user);
    return head + QStringLiteral(
                      "\nOnly its owner %1 may open it: its group \"%2\" may not read and "
                      "write it. Ask the administrator for access, for example a udev rule "
                      "that gives the device to the group dialout with MODE=\"0660\".")
                      .arg(a.owner, a.group);
}

Port::Port(bool networkMode, QObject* parent)
    : QObject(parent), network_(networkMode), access_(defaultAccessCheck)
{
    if (network_) {
        socket_ = new QTcpSocket(this);
        // Taken from the system in blocks, as the serial port is: a dump that
        // arrives faster than it is handled waits in the system's buffer, not
        // in a growing one of ours.
        socket_->setReadBufferSize(kReadBlock);
        connect(socket_, &QTcpSocket::readyRead, this, &Port::readyRead);
        connect(socket_, &QTcpSocket::connected, this, [this] {
            lostReported_ = false;
            emit networkConnected();
        });
        connect(socket_, &QTcpSocket::disconnected, this, &Port::networkDisconnected);
        connect(socket_, &QTcpSocket::errorOccurred, this, &Port::onSocketError);
    } else {
        serial_ = new QSerialPort(this);
        serial_->setReadBufferSize(4096);
        connect(serial_, &QSerialPort::readyRead, this, &Port::readyRead);
        connect(serial_, &QSerialPort::errorOccurred, this, &Port::onSerialError);
    }
}

Port::~Port() = default;

bool Port::isOpen() const
{
    if (network_) return socket_->state() != QAbstractSocket::UnconnectedState;
    return serial_->isOpen();
}

bool Port::open()
{
    error_ = {};
    return network_ ? openNetwork() : openSerial();
}

Port::OpenError Port::classifySerialFailure(QSerialPort::SerialPortError e, const QString& device,
                                            const QString& detail) const
{
    OpenError err;
    err.device = device;
    switch (e) {
        case QSerialPort::DeviceNotFoundError:
            err.kind = Failure::NotFound;
            err.text = QStringLiteral("Com port does not exist");
            break;
        case QSerialPort::PermissionError:
            // A port held by another program and a port this user may not use are
            // reported alike; the device's access rights tell them apart.
            if (access_ && !access_(device)) {
                err.kind = Failure::PermissionDenied;
                err.text = permissionAdvice(device, deviceAccess(device), currentUserName());
            } else {
                err.kind = Failure::Busy;
                err.text = QStringLiteral("This com port is already busy");
            }
            break;
        default:
            err.kind = Failure::Other;
            err.text =
                QStringLiteral("The serial port %1 could not be opened: %2").arg(device, detail);
            break;
    }
    return err;
}

bool Port::openSerial()
{
    if (serial_->isOpen()) return true;
    if (number_ == 0) {
        const std::optional<int> chosen = chooser_ ? chooser_() : std::nullopt;
        if (!chosen) {
            error_ = {Failure::NoSelection, QString(),
                      QStringLiteral("No serial port was selected.")};
            return false;
        }
        number_ = *chosen;
    }
    const QString device = map_.devicePath(number_);
    if (!QFileInfo::exists(device)) {
        error_ = classifySerialFailure(QSerialPort::DeviceNotFoundError, device, QString());
        return false;
    }
    serial_->setPortName(device);
    if (!serial_->open(QIODevice::ReadWrite)) {
        error_ = classifySerialFailure(serial_->error(), device, serial_->errorString());
        serial_->clearError();
        return false;
    }
    serial_->setBaudRate(19200);
    serial_->setDataBits(QSerialPort::Data8);
    serial_->setParity(QSerialPort::NoParity);
    serial_->setStopBits(QSerialPort::OneStop);
    serial_->setFlowControl(QSerialPort::NoFlowControl);
    // A pseudo-terminal refuses the modem lines; a real port takes them.
    serial_->setDataTerminalReady(true);
    serial_->setRequestToSend(false);
    serial_->clearError();
    lostReported_ = false;
    return true;
}

bool Port::openNetwork()
{
    if (socket_->state() != QAbstractSocket::UnconnectedState) return true;
    socket_->connectToHost(host_, tcpPort_);
    return true;
}

void Port::close()
{
    if (network_) {
        if (socket_->state() != QAbstractSocket::UnconnectedState) {
            socket_->disconnectFromHost();
            if (socket_->state() != QAbstractSocket::UnconnectedState) socket_->abort();
        }
    } else if (serial_->isOpen()) {
        serial_->close();
    }
}

bool Port::write(const QByteArray& data)
{
    if (network_) {
        if (socket_->state() == QAbstractSocket::UnconnectedState) {
            if (!autoOpen_) return false;
            socket_->connectToHost(host_, tcpPort_);
        }
        // Written as soon as the connection stands.
        if (socket_->write(data) == data.size()) return true;
        reportLoss(QStringLiteral("The network connection to %1:%2 could not be written: %3")
                       .arg(host_)
                       .arg(tcpPort_)
                       .arg(socket_->errorString()));
        socket_->abort();
        return false;
    }
    if (!serial_->isOpen()) {
        if (!autoOpen_ || !openSerial()) return false;
    }
    if (serial_->write(data) == data.size()) return true;
    reportLoss(QStringLiteral("The serial port %1 could not be written: %2")
                   .arg(serial_->portName(), serial_->errorString()));
    serial_->clearError();
    serial_->close();
    return false;
}

void Port::reportLoss(const QString& reason)
{
    emit failed();
    if (lostReported_) return;
    lostReported_ = true;
    emit linkLost(reason);
}

qsizetype Port::read(char* to, qsizetype max)
{
    // A socket the remote side has closed still holds what it sent.
    QIODevice* const device = network_ ? static_cast<QIODevice*>(socket_) : serial_;
    if (!device->isOpen()) return 0;
    const qint64 n = device->read(to, max);
    return n > 0 ? qsizetype(n) : 0;
}

void Port::discardBuffers()
{
    if (network_) {
        socket_->readAll();
    } else if (serial_->isOpen()) {
        serial_->clear(QSerialPort::AllDirections);
        serial_->readAll();
        serial_->clearError();
    }
}

void Port::onSerialError(QSerialPort::SerialPortError e)
{
    // A device that goes away while open breaks the link (a pseudo-terminal whose
    // other side closed reports failed reads first); refused modem-line or buffer
    // requests of a pseudo-terminal are harmless.
    if ((e != QSerialPort::ResourceError && e != QSerialPort::ReadError) || !serial_->isOpen())
        return;
    const QString reason = QStringLiteral("The serial port %1 was lost: %2")
                               .arg(serial_->portName(), serial_->errorString());
    serial_->clearError();
    serial_->close();
    reportLoss(reason);
}

void Port::onSocketError(QAbstractSocket::SocketError e)
{
    // The instrument closing the connection after its reply is how network mode works.
    if (e == QAbstractSocket::RemoteHostClosedError) return;
    const QString reason = QStringLiteral("The network connection to %1:%2 failed: %3")
                               .arg(host_)
                               .arg(tcpPort_)
                               .arg(socket_->errorString());
    socket_->abort();
    reportLoss(reason);
}

Port::Probe Port::probe(const QString& device) const
{
    if (!QFileInfo::exists(device)) return Probe::Unavailable;
    QSerialPort trial;
    trial.setPortName(device);
    if (trial.open(QIODevice::ReadWrite)) {
        trial.close();
        return Probe::Available;
    }
    if (trial.error() == QSerialPort::PermissionError)
        return (!access_ || access_(device)) ? Probe::Busy : Probe::NoPermission;
    return Probe::Unavailable;
}

}  // namespace nesmo
