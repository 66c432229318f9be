#pragma once

#include <QByteArray>
#include <QString>

namespace nesmo {

// Writes a whole file through a temporary file in the same folder that replaces
// the target only when every byte is on disk: a failure (full disk, no such
// folder) leaves an existing file as it was. Returns the reason of a failure,
// empty on success.
QString saveWholeFile(const QString& path, const QByteArray& bytes);

}  // namespace nesmo
