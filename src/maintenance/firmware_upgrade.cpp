#include "maintenance/firmware_upgrade.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include "link/commands.h"
#include "maintenance/firmware_file.h"
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
    ActiveTransfer(AppState& state, const std::function<void(bool)>& changed)
        : state_(state), changed_(changed)
    {
        state_.FirmwareUpgradeActive = true;
        changed_(true);
    }
    ~ActiveTransfer()
    {
        state_.FirmwareUpgradeActive = false;
        changed_(false);
    }
    ActiveTransfer(const ActiveTransfer&) = delete;
    ActiveTransfer& operator=(const ActiveTransfer&) = delete;

private:
    AppState& state_;
    std::function<void(bool)> changed_;
};

// The window during the transfer: the Main page in front and the other pages
// locked, the bar and the label shown, the hourglass over the pages; all
// restored however the transfer ends.
class TransferWindow {
public:
    TransferWindow(QTabWidget* pages, InstrumentProgress& progress, const QString& labelText)
        : pages_(pages), progress_(progress)
    {
        pages_->setCurrentIndex(0);
        for (int i = 1; i < pages_->count(); ++i)
            pages_->setTabEnabled(i, false);
        progress_.beginTransfer(firmware::kBarMaximum, labelText);
        pages_->setCursor(Qt::WaitCursor);
    }
    ~TransferWindow()
    {
        progress_.endTransfer();
        for (int i = 1; i < pages_->count(); ++i)
            pages_->setTabEnabled(i, true);
        restoreCursor();
    }
    TransferWindow(const TransferWindow&) = delete;
    TransferWindow& operator=(const TransferWindow&) = delete;
    void restoreCursor() { pages_->unsetCursor(); }

private:
    QTabWidget* pages_;
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

FirmwareUpgrade::FirmwareUpgrade(AppState& state, Link& link, Dialogs& dialogs, QTabWidget* pages,
                                 InstrumentProgress& progress,
                                 std::function<void(const QString&)> setStatus, QObject* parent)
    : QObject(parent),
      state_(state),
      link_(link),
      dialogs_(dialogs),
      pages_(pages),
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
    if (state_.FirmwareUpgradeActive) return;  // one transfer at a time
    // The bar is the re-format's until the instrument reports it finished.
    if (progress_.reformatRunning()) {
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
    if (state_.InstrumentRunning &&
        dialogs_.askYesNo(kTerminateRun, QStringLiteral("NESMO-7"), Dialogs::Icon::Error)) {
        int attempts = 0;
        stopRun(attempts);
    }
    const int answered = link_.SendUpgradeCommand(QByteArray(cmd::kRunMode));
    if (state_.InstrumentRunning || link_.closing()) return;
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
    transfer(path, file.records);
}

void FirmwareUpgrade::transfer(const QString& path, const QList<QByteArray>& records)
{
    const ActiveTransfer active(state_, [this](bool on) { emit activeChanged(on); });

    link_.SendUpgradeCommand(QByteArray(cmd::kRunMode));
    int attempts = 0;
    stopRun(attempts);
    if (link_.closing()) return;

    TransferWindow window(
        pages_, progress_,
        QStringLiteral("Transferring firmware file ") + path + QStringLiteral(" to instrument:"));
    status(QStringLiteral("Transferring firmware file ") + path + QStringLiteral(" to instrument"));

    const QByteArray first = records.isEmpty() ? QByteArray() : records.first();
    switch (firmware::versionGate(state_.FirmwareVersion, first)) {
        case firmware::Gate::NeedsVersion9926: dialogs_.message(kNeeds9926); return;
        case firmware::Gate::NeedsVersion130: dialogs_.message(kNeeds130); return;
        case firmware::Gate::Pass: break;
    }

    int blink = attempts;
    if (!sendRecords(records, blink)) return;

    progress_.setTransferPosition(firmware::kBarMaximum);
    progress_.setLabelText(QStringLiteral("Load complete; testing integrity"));
    status(QStringLiteral("Firmware transfer is complete; testing integrity"));
    const int result = testIntegrity(blink);
    window.restoreCursor();
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
            tell(kCopyProblem);
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
