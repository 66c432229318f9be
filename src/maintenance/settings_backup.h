#pragma once

#include <QObject>

#include "core/app_state.h"
#include "core/dialogs.h"
#include "link/link.h"

namespace nesmo {

// Backing up and restoring the instrument's settings, around a firmware upgrade.
// Both are single commands: the instrument keeps the copy itself.
class SettingsBackup final : public QObject {
    Q_OBJECT

public:
    SettingsBackup(AppState& state, Link& link, Dialogs& dialogs, QObject* parent = nullptr);

    void FileBackupsettingsExecute();
    void FileRestoreSettingsExecute();

    // A backup of this run holds the settings of the instrument now connected:
    // one instrument's backup does not stand for another's.
    static bool holdsCurrentInstrument(const AppState& state);

    // Asks the instrument who it is and which firmware it runs, so that a check
    // never goes by an instrument that has since been swapped for another.
    static void refreshIdentity(Link& link);

private:
    AppState& state_;
    Link& link_;
    Dialogs& dialogs_;
};

}  // namespace nesmo
