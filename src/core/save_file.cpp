#include "core/save_file.h"

#include <QSaveFile>

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

}  // namespace nesmo
