#include "core/save_file.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QSaveFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace nesmo {

QString saveWholeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    // write() may only fill the buffer; a short write to the disk shows at the
    // flush, which commit() does not report: flush first and look.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit()) return file.errorString();
    return {};
}

StagedFile::StagedFile(const QString& folder)
    : temp_(QDir(folder).filePath(QStringLiteral(".nesmo-XXXXXX.part")))
{
}

QString StagedFile::create()
{
    if (!temp_.open()) return temp_.errorString();
    return {};
}

QString StagedFile::commit(const QString& target)
{
    if (!temp_.isOpen()) return QStringLiteral("the file was not created");
    const QByteArray to = QFile::encodeName(target);
    struct stat existing {};
    mode_t mode = 0;
    if (::stat(to.constData(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    const int fd = temp_.handle();
    if (::fchmod(fd, mode) != 0 || ::fdatasync(fd) != 0 ||
        ::rename(QFile::encodeName(temp_.fileName()).constData(), to.constData()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    temp_.setAutoRemove(false);
    temp_.close();
    return {};
}

}  // namespace nesmo
