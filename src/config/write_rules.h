#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace nesmo::config {

// The parts of the configuration write that are pure functions of field values.

inline constexpr char kRunModeRefusal[] = "Configuration can not be changed while in run mode.";
inline constexpr char kStelNeedsUpgrade[] =
    "STEL alarm provision is available with an upgrade to the Nesmo-7 firmware";
inline constexpr char kDelayedAutoStart[] =
    "A delayed auto-start has been configured. \r Turning off the instrument will cancel Auto "
    "Start.";

// The smallest tag number from 0 up that no logged tag holds; 99 when 0 to 99 are
// all taken.
int nextFreeTag(const QList<int>& loggedTags);
// "Tag number 01 contains data. \r \r Defauting to next available Tag number: 3".
QString tagHoldsDataMessage(const QString& tagText, int next);

// The alarm commands for the selected alarm (0 disabled, 1 instant, 2 STEL) and
// its level. Firmware before 1.28 knows no STEL alarm: ask for selection 1 there.
QList<QByteArray> alarmCommands(int selection, bool oldFirmware, float level);

// Selects the current site; with a factor, sets the site's calibration factor too.
QByteArray siteCommand(int site, bool setFactor, float factor);

// The refusal of a write while lists that it sends have no selection.
QString missingSelectionMessage(const QStringList& fieldNames);
// The status line after a write: set, or how many commands got no complete
// reply; the standby reminder of a delayed auto-start in either case.
QString writeStatus(int unanswered, bool delayedAutoStart);

// The refusal of a write to an instrument that reports units this page cannot show.
QString unknownUnitsMessage(int unitsCode);

}  // namespace nesmo::config
