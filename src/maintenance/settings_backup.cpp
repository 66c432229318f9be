#include "maintenance/settings_backup.h"

#include "files/firmware_file.h"
#include "link/commands.h"

namespace nesmo {

SettingsBackup::SettingsBackup(AppState& state, Link& link, Dialogs& dialogs, QObject* parent)
    : QObject(parent), state_(state), link_(link), dialogs_(dialogs)
{
}

bool SettingsBackup::holdsCurrentInstrument(const AppState& state)
{
    // A "backup" on firmware that keeps none only let that firmware's upgrade go
    // ahead; after the upgrade the instrument's settings are in no backup.
    return state.SettingsBackedUp && state.BackupSerialNumber == state.SerialNumber &&
           firmware::backupSupported(state.BackupFirmwareVersion);
}

void SettingsBackup::refreshIdentity(Link& link)
{
    if (!link.linkOpen()) return;
    link.SendCommand(QByteArray(cmd::kSerialNumberLower));
    link.SendCommand(QByteArray(cmd::kFirmwareVersion));
}

namespace {

const QString kNotConnected = QStringLiteral("The instrument is not connected.");

}  // namespace

void SettingsBackup::FileBackupsettingsExecute()
{
    const LongOperation operation(link_.operations(), QStringLiteral("backing up the settings"));
    if (!operation.taken()) {
        dialogs_.message(operation.refusal());
        return;
    }
    if (!link_.linkOpen()) {
        // Without an answer the version is not known, nor whether a backup could be made.
        dialogs_.message(kNotConnected + QStringLiteral("\rThe settings were not backed up."));
        return;
    }
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
            state_.BackupFirmwareVersion = state_.FirmwareVersion;
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
        state_.BackupFirmwareVersion = state_.FirmwareVersion;
        dialogs_.message(QStringLiteral("Backup settings successful!"));
    } else {
        dialogs_.message(QStringLiteral("Backup settings failed!"));
    }
}

void SettingsBackup::FileRestoreSettingsExecute()
{
    const LongOperation operation(link_.operations(), QStringLiteral("restoring the settings"));
    if (!operation.taken()) {
        dialogs_.message(operation.refusal());
        return;
    }
    if (!link_.linkOpen()) {
        dialogs_.message(kNotConnected + QStringLiteral("\rThe settings were not restored."));
        return;
    }
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
