#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryFile>

namespace nesmo {

// Writes a whole file through a temporary file in the same folder that replaces
// the target only when every byte is on disk: a failure (full disk, no such
// folder) leaves an existing file as it was. Returns the reason of a failure,
// empty on success.
QString saveWholeFile(const QString& path, const QByteArray& bytes);

// A file written by someone else under a temporary name in the folder it is
// saved in, that takes its name only at commit(), once every byte is on disk.
// Until then, and when it is dropped uncommitted (it is removed), an existing
// file of that name stays as it was.
class StagedFile {
public:
    explicit StagedFile(const QString& folder);

    // Creates the temporary file; the reason of a failure, or an empty text.
    QString create();
    // The temporary file's name, to be written to.
    QString path() const { return temp_.fileName(); }
    // Syncs the file and renames it to `target`, replacing a file there (whose
    // permissions it takes; a new file gets the usual ones). The reason of a
    // failure, or an empty text.
    QString commit(const QString& target);

private:
    QTemporaryFile temp_;
};

}  // namespace nesmo
