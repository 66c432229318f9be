#include "files/data_file.h"

#include "core/save_file.h"

#include <QFile>
#include <QFileInfo>

namespace nesmo {

DataFileRead readDataFile(const QString& path, qsizetype limit)
{
    DataFileRead result;
    const QFileInfo info(path);
    if (info.isDir()) {
        result.error = QStringLiteral("%1 is a folder, not a file.").arg(path);
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error =
            QStringLiteral("The file %1 could not be opened:\n%2").arg(path, file.errorString());
        return result;
    }
    // A device or pipe reports no size; it is read up to the limit and refused beyond it.
    if (!file.isSequential() && file.size() > limit) {
        result.error = QStringLiteral(
                           "The file %1 holds %2 MB, more than the %3 MB that the Data text page "
                           "takes (the largest tag is about 4 MB). It was not opened.")
                           .arg(path)
                           .arg(file.size() / (1024.0 * 1024.0), 0, 'f', 1)
                           .arg(limit / (1024 * 1024));
        return result;
    }
    result.bytes = file.read(limit + 1);
    if (result.bytes.size() > limit) {
        result.bytes.clear();
        result.error = QStringLiteral(
                           "The file %1 holds more than the %2 MB that the Data text page takes. "
                           "It was not opened.")
                           .arg(path)
                           .arg(limit / (1024 * 1024));
    } else if (file.error() != QFileDevice::NoError) {
        result.bytes.clear();
        result.error =
            QStringLiteral("The file %1 could not be read:\n%2").arg(path, file.errorString());
    }
    return result;
}

QByteArray dataFileBytes(const QString& pageText)
{
    QByteArray bytes = pageText.toLatin1();
    bytes.replace("\n", "\r\n");
    if (!bytes.isEmpty() && !bytes.endsWith('\n')) bytes.append("\r\n");
    return bytes;
}

QString writeDataFile(const QString& path, const QByteArray& bytes)
{
    return saveWholeFile(path, bytes);
}

}  // namespace nesmo
