#include "config/write_rules.h"

#include "link/command_format.h"
#include "link/commands.h"

namespace nesmo::config {

int nextFreeTag(const QList<int>& loggedTags)
{
    int next = 0;
    int j = 0;
    bool found = false;
    do {
        found = loggedTags.contains(j);
        next = j;
        ++j;
    } while (found && j < 100);
    return next;
}

QString tagHoldsDataMessage(const QString& tagText, int next)
{
    return QStringLiteral("Tag number ") + tagText + QStringLiteral(" contains data. ") +
           QString::asprintf("\r \r Defauting to next available Tag number: %d", next);
}

QList<QByteArray> alarmCommands(int selection, bool oldFirmware, float level)
{
    if (oldFirmware) {
        if (selection == 0) return {cmd::kAlarmOn, cmd::kAlarmOff};
        if (selection == 1) return {formatCommand(cmd::kAlarmOnSetFmt, double(level))};
        return {};
    }
    switch (selection) {
        case 0: return {cmd::kAlarmInstant, cmd::kAlarmStel, cmd::kAlarmDisabled};
        case 1: return {cmd::kAlarmStel, formatCommand(cmd::kAlarmInstantSetFmt, double(level))};
        case 2: return {cmd::kAlarmInstant, formatCommand(cmd::kAlarmStelSetFmt, double(level))};
        default: return {};
    }
}

QByteArray siteCommand(int site, bool setFactor, float factor)
{
    if (setFactor) return formatCommand(cmd::kSiteFactorSetFmt, site, double(factor));
    return formatCommand(cmd::kSiteSelectOnlyFmt, site, " ");
}

QString missingSelectionMessage(const QStringList& fieldNames)
{
    return QStringLiteral(
               "The configuration has not been sent: nothing is chosen in %1.\r\r"
               "Get the current configuration from the instrument first, or choose "
               "a value in each of these fields.")
        .arg(fieldNames.join(QStringLiteral(", ")));
}

QString writeStatus(int unanswered, bool delayedAutoStart)
{
    const QString standby =
        QStringLiteral("Instrument must remain powered in standby for Auto Start.");
    if (unanswered == 0)
        return delayedAutoStart ? standby + QStringLiteral(" Configuration has been set.")
                                : QStringLiteral("Configuration has been set.");
    QString status = QStringLiteral(
                         "Configuration sent, but %1 of the commands got no complete reply: the "
                         "instrument may not match the page.")
                         .arg(unanswered);
    if (delayedAutoStart) status += QLatin1Char(' ') + standby;
    return status;
}

QString unknownUnitsMessage(int unitsCode)
{
    return QStringLiteral(
               "The configuration has not been sent: the instrument reports units number %1, "
               "which this page cannot show or set.\r\r"
               "Choose the units you want in the Units list, then set the configuration.")
        .arg(unitsCode);
}

}  // namespace nesmo::config
