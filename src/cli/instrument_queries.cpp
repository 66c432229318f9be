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
        case Query::LogPeriod: return QByteArray(cmd::kLogPeriod);
        case Query::AutoStart: return QByteArray(cmd::kAutoStart);
        case Query::Tag: return QByteArray(cmd::kTag);
        case Query::DisplayAvg: return QByteArray(cmd::kDisplayAvg);
        case Query::Units: return QByteArray(cmd::kUnits);
        case Query::AnalogOut: return QByteArray(cmd::kAnalogOut);
        case Query::FlowRate: return QByteArray(cmd::kFlowRate);
        case Query::RhCorrect: return QByteArray(cmd::kRhCorrect);
        case Query::Backlight: return QByteArray(cmd::kBacklight);
        case Query::Alarm: return QByteArray(cmd::kAlarm);
        case Query::Inlet: return QByteArray(cmd::kInlet);
        case Query::Site: return QByteArray(cmd::kSite);
        case Query::CalFactor: return QByteArray(cmd::kCalFactor);
    }
    return QByteArray();
}

QByteArray tagDumpText(int tag)
{
    const QByteArray number = QByteArray::number(tag).rightJustified(2, ' ');
    return QString::asprintf(cmd::kTagDumpFmt, number.constData()).toLatin1();
}

}  // namespace nesmo::cli
