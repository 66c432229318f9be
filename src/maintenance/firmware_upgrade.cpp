#include "maintenance/firmware_upgrade.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include "files/firmware_file.h"
#include "link/commands.h"
#include "maintenance/settings_backup.h"

namespace nesmo {

namespace {

const QString kBackupFirst =
    QStringLiteral("Can't upgrade\nBackup your settings first, then upgrade\n");
const QString kTerminateRun =
    QStringLiteral("WARNING! \nThe Nesmo-7 cannot be loaded while running. Terminate run?");
const QString kWarning = QStringLiteral(
    "Warning:\n1) Stored data files may be incompatible with different Nesmo-7 firmware "
    "versions.\n2) Retrieve Logged data and Site List data before upgrading firmware.\n3) Restore "
    "your settings after upgrading.\n4) It is reccommended to re-format data memory after "
    "upgrading.\r\r **Do not disturb Nesmo-7 during firmware upgrade.** \r\r Proceed with "
    "upgrade?");
const QString kNeeds9926 = QStringLiteral(
    "Can't upgrade to this version of software\nPlease upgrade to version 99.26 first\n");
const QString kNeeds130 = QStringLiteral(
    "Can't upgrade to this version of software\nPlease upgrade to version 1.30 or higher\n");
const QString kCopyProblem = QStringLiteral("Problem copying fw file to unit");
const QString kReady = QStringLiteral(
    "Firmware is ready. Please follow the steps bellow:\n1) Power off and then power on the "
    "Nesmo-7 unit.\r2) Allow 15 seconds for the firmware to update when restarting Nesmo7\r3) "
    "Restore settings before re-formatting the Nesmo-7 data memory\r4) It is recommended to "
    "re-format the Nesmo-7 data memory.5) Re-zero the instrument");
const QString kVerifyFailed = QStringLiteral("Failed to verify firmware load. Please redo");
const QString kReformatRunning = QStringLiteral(
    "The data memory re-format is still running. Wait until the instrument has "
    "reported it finished, then load the new firmware.");

// The status line tells how the upgrade goes; whatever way it ends, the text
// does not outlive it.
class StatusText {
public:
    explicit StatusText(const std::function<void(const QString&)>& set) : set_(set) {}
    ~StatusText() { set_(QString()); }
    StatusText(const StatusText&) = delete;
    StatusText& operator=(const StatusText&) = delete;
    void operator()(const QString& text) { set_(text); }

private:
    const std::function<void(const QString&)>& set_;
};

// FirmwareUpgradeActive, which reserves the link for the transfer's own
// commands, for exactly as long as the transfer runs.
class ActiveTransfer {
public:
    explicit ActiveTransfer(AppState& state) : state_(state)
    {
        state_.FirmwareUpgradeActive = true;
    }
    ~ActiveTransfer() { state_.FirmwareUpgradeActive = false; }
    ActiveTransfer(const ActiveTransfer&) = delete;
    ActiveTransfer& operator=(const ActiveTransfer&) = delete;

private:
    AppState& state_;
};

// The window during the transfer: the bar and the label shown, the window told
// the phase; all restored however the transfer ends.
class TransferWindow {
public:
    TransferWindow(FirmwareUpgrade& upgrade, InstrumentProgress& progress, const QString& labelText)
        : upgrade_(upgrade), progress_(progress)
    {
        progress_.beginTransfer(firmware::kBarMaximum, labelText);
        emit upgrade_.phaseChanged(FirmwareUpgrade::Phase::Transferring);
    }
    ~TransferWindow()
    {
        progress_.endTransfer();
        emit upgrade_.phaseChanged(FirmwareUpgrade::Phase::Idle);
    }
    TransferWindow(const TransferWindow&) = delete;
    TransferWindow& operator=(const TransferWindow&) = delete;

private:
    FirmwareUpgrade& upgrade_;
    InstrumentProgress& progress_;
};

// Waits without blocking the event loop (nor the processor).
void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

FirmwareUpgrade::FirmwareUpgrade(AppState& state, Link& link, Dialogs& dialogs,
                                 InstrumentProgress& progress,
                                 std::function<void(const QString&)> setStatus, QObject* parent)
    : QObject(parent),
      state_(state),
      link_(link),
      dialogs_(dialogs),
      progress_(progress),
      setStatus_(std::move(setStatus))
{
}

void FirmwareUpgrade::tell(const QString& text)
{
    // A program that is closing tells nothing more.
    if (!link_.closing()) dialogs_.message(text);
}

void FirmwareUpgrade::stopRun(int& attempts)
{
    while (state_.InstrumentRunning && attempts < kStopAttempts) {
        ++attempts;
        link_.SendUpgradeCommand(QByteArray(cmd::kStopRunAttempt), cmd::kStopRunAttemptPrompts);
        // An instrument that says nothing at all will not stop by being asked again.
        const Link::Outcome outcome = link_.lastOutcome();
        if (outcome == Link::Outcome::Silent || outcome == Link::Outcome::NotSent) break;
    }
    link_.SendUpgradeCommand(QByteArray(cmd::kKeyEscLower));
}

void FirmwareUpgrade::FWLoadClick()
{
    // One operation at a time, from the first check to the last result: also
    // no second upgrade inside this one's waits.
    const LongOperation operation(link_.operations(), QStringLiteral("loading new firmware"));
    if (!operation.taken()) {
        dialogs_.message(operation.refusal());
        return;
    }
    upgrade();
}

void FirmwareUpgrade::upgrade()
{
    // The bar is the re-format's until the instrument reports it finished.
    if (progress_.reformatExpected()) {
        dialogs_.message(kReformatRunning);
        return;
    }
    // The checks below go by the instrument connected now.
    SettingsBackup::refreshIdentity(link_);
    if (link_.closing()) return;
    if (!SettingsBackup::holdsCurrentInstrument(state_) && state_.FirmwareVersion > 129) {
        dialogs_.message(kBackupFirst);
        return;
    }

    link_.SendUpgradeCommand(QByteArray(cmd::kRunMode));
    StatusText status(setStatus_);
    status(QStringLiteral("Firmware upgrade"));
    int attempts = 0;
    if (state_.InstrumentRunning &&
        dialogs_.askYesNo(kTerminateRun, QStringLiteral("NESMO-7"), Dialogs::Icon::Error))
        stopRun(attempts);
    const int answered = link_.SendUpgradeCommand(QByteArray(cmd::kRunMode));
    if (link_.closing()) return;
    if (state_.InstrumentRunning) {
        // The operator who said No knows why nothing happens; one who said Yes
        // is told that the instrument would not stop.
        if (attempts > 0)
            dialogs_.message(
                QStringLiteral("The Nesmo-7 did not stop its run (%1 attempts): the firmware "
                               "was not loaded.\rStop the measurement on the instrument, then "
                               "load the firmware again.")
                    .arg(attempts));
        return;
    }
    if (!answered) {
        // Whether it runs is not known, and an instrument that does not answer
        // would only refuse every record after it has erased its program.
        const bool closed = link_.lastOutcome() == Link::Outcome::NotSent && !link_.linkOpen();
        dialogs_.message((closed ? QStringLiteral("The instrument is not connected.")
                                 : QStringLiteral("The instrument did not answer.")) +
                         QStringLiteral("\rThe firmware was not loaded."));
        return;
    }

    if (!dialogs_.askOkCancel(kWarning, QStringLiteral("Nesmo-7"), Dialogs::Icon::Information))
        return;
    status(
        QStringLiteral("Transferring firmware; do not attempt to OPERATE or CONFIGURE "
                       "Nesmo-7"));

    FileDialogSetup setup;
    setup.title = QStringLiteral("Select Firmware HEX file");
    setup.filters = {QStringLiteral("Intel HEX file (*.hex)"), QStringLiteral("All files (*)")};
    if (!fileName_.isEmpty()) {
        setup.directory = QFileInfo(fileName_).absolutePath();
        setup.fileName = fileName_;
    }
    const QString path = dialogs_.openFileName(setup);
    if (path.isEmpty()) return;
    fileName_ = path;

    // The whole file is read and checked before the instrument is touched; the
    // gates and the transfer use this copy.
    const firmware::HexFile file = firmware::readHexFile(path);
    if (!file.error.isEmpty()) {
        dialogs_.message(file.error + QStringLiteral("\nNothing has been sent to the instrument."));
        return;
    }
    // The versions decide before anything more reaches the instrument.
    switch (firmware::versionGate(state_.FirmwareVersion, file.records.first())) {
        case firmware::Gate::NeedsVersion9926: dialogs_.message(kNeeds9926); return;
        case firmware::Gate::NeedsVersion130: dialogs_.message(kNeeds130); return;
        case firmware::Gate::Pass: break;
    }
    transfer(path, file.records);
}

void FirmwareUpgrade::transfer(const QString& path, const QList<QByteArray>& records)
{
    const ActiveTransfer active(state_);

    link_.SendUpgradeCommand(QByteArray(cmd::kRunMode));
    int attempts = 0;
    stopRun(attempts);
    if (link_.closing()) return;

    TransferWindow window(
        *this, progress_,
        QStringLiteral("Transferring firmware file ") + path + QStringLiteral(" to instrument:"));
    status(QStringLiteral("Transferring firmware file ") + path + QStringLiteral(" to instrument"));

    int blink = attempts;
    if (!sendRecords(records, blink)) return;

    progress_.setTransferPosition(firmware::kBarMaximum);
    progress_.setLabelText(QStringLiteral("Load complete; testing integrity"));
    status(QStringLiteral("Firmware transfer is complete; testing integrity"));
    const int result = testIntegrity(blink);
    if (link_.closing()) return;
    tell(result == 2 ? kReady : kVerifyFailed);
}

bool FirmwareUpgrade::sendRecords(const QList<QByteArray>& records, int& blink)
{
    qint64 accepted = 0;
    for (const QByteArray& record : records) {
        progress_.setLabelShown(firmware::advanceBlink(blink));
        const QByteArray command = firmware::recordCommand(record);
        bool taken = false;
        for (int send = 0; send < kRecordSends && !taken; ++send) {
            state_.TransferStatus = 1;
            link_.SendUpgradeCommand(command);
            if (link_.closing()) return false;
            taken = state_.TransferStatus == 0;
        }
        if (!taken) {
            // A link that broke is the likelier cause than the records.
            tell(link_.linkOpen()
                     ? kCopyProblem
                     : kCopyProblem +
                           QStringLiteral("\rThe connection to the instrument was lost during "
                                          "the transfer: the instrument holds no complete "
                                          "program. Connect it again and load the firmware "
                                          "again."));
            return false;
        }
        progress_.setTransferPosition(firmware::barPosition(++accepted));
    }
    return true;
}

int FirmwareUpgrade::testIntegrity(int& blink)
{
    state_.TransferStatus = 1;
    link_.SendUpgradeCommand(QByteArray(cmd::kIntegrityTestStart));
    progress_.setTransferPosition(firmware::kBarMaximum);
    emit phaseChanged(Phase::TestingIntegrity);

    // The instrument answers with the result once its test has finished. The
    // asking is bounded: an instrument that never gives a result, or a link that
    // has closed, ends in a failed verification and not in an endless wait.
    const QDeadlineTimer deadline(integrityLimitMs_);
    bool first = true;
    while (first || state_.TransferStatus == 1) {
        if (!first) {
            if (deadline.hasExpired()) break;
            pause(kIntegrityPauseMs);
        }
        first = false;
        link_.SendUpgradeCommand(QByteArray(cmd::kIntegrityTestResult));
        progress_.setLabelShown(firmware::advanceBlink(blink));
        if (link_.closing()) break;
        if (link_.lastOutcome() == Link::Outcome::NotSent && !link_.linkOpen()) break;
    }
    return state_.TransferStatus;
}

}  // namespace nesmo
