#include "maintenance/settings_backup.h"

#include "link/commands.h"
#include "maintenance/firmware_file.h"

namespace nesmo {

SettingsBackup::SettingsBackup(AppState& state, Link& link, Dialogs& dialogs, QObject* parent)
    : QObject(parent), state_(state), link_(link), dialogs_(dialogs)
{
}

bool SettingsBackup::holdsCurrentInstrument(const AppState& state)
{
    return state.SettingsBackedUp && state.BackupSerialNumber == state.SerialNumber;
}

void SettingsBackup::refreshIdentity(Link& link)
{
    if (!link.linkOpen()) return;
    link.SendCommand(QByteArray(cmd::kSerialNumberLower));
    link.SendCommand(QByteArray(cmd::kFirmwareVersion));
}

void SettingsBackup::FileBackupsettingsExecute()
{
    if (state_.FirmwareUpgradeActive) return;
    refreshIdentity(link_);
    if (link_.closing()) return;
    state_.SettingsBackedUp = false;
    if (!firmware::backupSupported(state_.FirmwareVersion)) {
        // Old firmware keeps no backup, and a firmware upgrade of it needs none.
        // An instrument whose version is unknown may well be new firmware: no
        // backup is assumed for it.
        if (state_.FirmwareVersion != 0) {
            state_.SettingsBackedUp = true;
            state_.BackupSerialNumber = state_.SerialNumber;
        }
        dialogs_.message(
            QStringLiteral("Backup settings not supported by this version\nPlease "
                           "upgrade your software"));
        return;
    }
    if (!dialogs_.askOkCancel(
            QStringLiteral("Warning:\nBackup settings are only appropriates prior to upgrading "
                           "firmware.\nFailure of restoring settings after software upgrade may "
                           "result in\nloss of setting and unpredicted behavior of your "
                           "instrument.\n\nProceed with Backup?"),
            QStringLiteral("Nesmo-7"), Dialogs::Icon::None))
        return;
    link_.SendCommand(QByteArray(cmd::kBackupSettings));
    if (link_.closing()) return;
    if (state_.SettingsBackedUp) {
        state_.BackupSerialNumber = state_.SerialNumber;
        dialogs_.message(QStringLiteral("Backup settings successful!"));
    } else {
        dialogs_.message(QStringLiteral("Backup settings failed!"));
    }
}

void SettingsBackup::FileRestoreSettingsExecute()
{
    if (state_.FirmwareUpgradeActive) return;
    // After an upgrade the instrument runs another version than the one known.
    refreshIdentity(link_);
    if (link_.closing()) return;
    state_.SettingsRestored = false;
    if (!firmware::restoreSupported(state_.FirmwareVersion)) {
        dialogs_.message(
            QStringLiteral("Restore settings not supported by this version\nPlease "
                           "upgrade your software"));
        return;
    }
    link_.SendCommand(QByteArray(cmd::kRestoreSettings));
    if (link_.closing()) return;
    dialogs_.message(state_.SettingsRestored ? QStringLiteral("Restore settings successful!")
                                             : QStringLiteral("Restore settings failed!"));
}

}  // namespace nesmo
