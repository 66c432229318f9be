#include "cli/instrument_queries.h"

#include <QString>

#include "link/commands.h"

namespace nesmo::cli {

QByteArray queryText(Query q)
{
    switch (q) {
        case Query::FirmwareVersion: return QByteArray(cmd::kFirmwareVersion);
        case Query::SerialNumber: return QByteArray(cmd::kSerialNumber);
        case Query::RunMode: return QByteArray(cmd::kRunMode);
        case Query::Date: return QByteArray(cmd::kDate);
        case Query::Time: return QByteArray(cmd::kTime);
        case Query::TagList: return QByteArray(cmd::kTags);
        case Query::TagCounts: return QByteArray(cmd::kTagCounts);
    }
    return QByteArray();
}

QByteArray tagDumpText(int tag)
{
    const QByteArray number = QByteArray::number(tag).rightJustified(2, ' ');
    return QString::asprintf(cmd::kTagDumpFmt, number.constData()).toLatin1();
}

}  // namespace nesmo::cli
