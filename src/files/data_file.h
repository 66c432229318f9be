#pragma once

// Logged-data files on disk: 8-bit text, read whole and written whole.

#include <QByteArray>
#include <QString>

namespace nesmo {

struct DataFileRead {
    QByteArray bytes;
    QString error;  // empty when the file was read
};

// Reads a data file of at most `limit` bytes. A larger file is not read at all,
// so that nothing can be shown, or saved again, cut short.
DataFileRead readDataFile(const QString& path, qsizetype limit);

// The bytes a Save As writes for the page's text: Latin-1, each line ended by
// CR LF. Characters beyond Latin-1 (typed by the operator) become '?'.
QByteArray dataFileBytes(const QString& pageText);

// Writes the bytes through a temporary file in the same folder that replaces
// the target only when everything was written: a failure leaves the old file.
// Returns the reason of a failure, or an empty text.
QString writeDataFile(const QString& path, const QByteArray& bytes);

}  // namespace nesmo
