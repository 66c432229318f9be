#pragma once

#include <QString>

namespace nesmo {

// Process-wide state shared by the link, the reply interpreter and the pages.
// One instance is owned by the application and handed to whoever needs it.
struct AppState {
    // Link
    bool NetworkMode = false;
    int BaudRate = 19200;
    bool ReplyComplete = true;
    int ReplyTimeoutTicks = 45;  // 180 in network mode
    bool ConnectGuard = true;
    int DeviceFilterNumber = 0;

    // Receive path and download capture
    bool Downloading = false;
    bool KeepLinePrefix = false;
    bool TerminalHiddenByDownload = false;
    bool InQuotes = false;
    int RecordCount = 0;
    int RecordsLeft = 0;
    double RecordTime = 0.0;    // days since 30 Dec 1899
    double RecordPeriod = 0.0;  // days

    // What the instrument told us
    bool InstrumentRunning = false;
    QString SerialNumber;     // as the V 141 reply gave it, empty until then
    int CurrentTag = -1;      // the tag the last TAG reply named as current, -1 none yet
    int FirmwareVersion = 0;  // version x 100, 0 = not yet reported
    bool FirmwareUpgradeActive = false;
    bool SettingsBackedUp = false;
    QString BackupSerialNumber;     // the instrument whose settings the backup holds
    int BackupFirmwareVersion = 0;  // the firmware it ran then (x 100)
    bool SettingsRestored = false;
    int TransferStatus = 0;
    int RefusedReplies = 0;  // HUH? replies seen, counted up
    int UnitsReported = -1;  // the last UNITS code the instrument reported; -1 none yet
    // Mirrors the visibility of the configuration page's "Upgrade available"
    // label, which stands for "firmware older than 1.28" wherever it is asked.
    bool Alarm128Visible = false;

    // Pages
    bool TagNumberChanged = true;
    bool ReturnToGraph = false;  // the tag list was last opened from the Data graph page
    bool NotesHintPending = true;
    QString CurrentFileName = QStringLiteral("Untitled.csv");
    QString SiteFileName = QStringLiteral("SiteFile.txt");
};

}  // namespace nesmo
