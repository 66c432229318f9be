#include "sim/pty_endpoint.h"

#include <QFileInfo>

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace nesmo::sim {

std::unique_ptr<PtyEndpoint> PtyEndpoint::create(const QString& linkPath, const OutputShape& shape,
                                                 QString& error)
{
    const QByteArray link = QFile::encodeName(linkPath);
    struct stat st {};
    if (::lstat(link.constData(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            error = QStringLiteral("%1 exists and is not a symbolic link").arg(linkPath);
            return nullptr;
        }
        ::unlink(link.constData());
    }

    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        error = QStringLiteral("openpty: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return nullptr;
    }
    // Raw mode: no echo, no line editing, no CR/LF translation in either direction.
    struct termios tio {};
    ::tcgetattr(master, &tio);
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B19200);
    ::cfsetospeed(&tio, B19200);
    ::tcsetattr(master, TCSANOW, &tio);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);

    if (::symlink(name, link.constData()) != 0) {
        error = QStringLiteral("cannot create link %1: %2")
                    .arg(linkPath, QString::fromLocal8Bit(std::strerror(errno)));
        ::close(master);
        ::close(slave);
        return nullptr;
    }
    return std::unique_ptr<PtyEndpoint>(
        new PtyEndpoint(master, slave, QString::fromLocal8Bit(name), linkPath, shape));
}

PtyEndpoint::PtyEndpoint(int master, int slave, QString slavePath, QString linkPath,
                         const OutputShape& shape)
    : Endpoint(shape),
      m_master(master),
      m_slave(slave),
      m_slavePath(std::move(slavePath)),
      m_linkPath(std::move(linkPath))
{
    m_readNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &PtyEndpoint::readAvailable);
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, [this] {
        m_writeNotifier->setEnabled(false);
        pump();
    });
}

PtyEndpoint::~PtyEndpoint()
{
    close();
    const QByteArray link = QFile::encodeName(m_linkPath);
    struct stat st {};
    if (::lstat(link.constData(), &st) == 0 && S_ISLNK(st.st_mode)) ::unlink(link.constData());
}

void PtyEndpoint::close()
{
    // The notifiers may be the very senders that led here: let them go later.
    for (auto* n : {&m_readNotifier, &m_writeNotifier}) {
        if (!*n) continue;
        (*n)->setEnabled(false);
        n->release()->deleteLater();
    }
    dropPending();
    if (m_master >= 0) ::close(m_master);
    if (m_slave >= 0) ::close(m_slave);
    m_master = m_slave = -1;
}

void PtyEndpoint::readAvailable()
{
    QByteArray bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            bytes.append(buffer, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        break;  // EAGAIN: all read
    }
    if (!bytes.isEmpty()) emit received(bytes);
}

qint64 PtyEndpoint::writeSome(const char* data, qint64 size)
{
    for (;;) {
        const ssize_t n = ::write(m_master, data, size_t(size));
        if (n >= 0) {
            if (n < size && m_writeNotifier) m_writeNotifier->setEnabled(true);
            return n;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN) {
            if (m_writeNotifier) m_writeNotifier->setEnabled(true);
            return 0;
        }
        return -1;
    }
}

}  // namespace nesmo::sim
