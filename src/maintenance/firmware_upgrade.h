#pragma once

#include <QObject>
#include <functional>

#include "core/app_state.h"
#include "core/dialogs.h"
#include "link/link.h"
#include "widgets/instrument_progress.h"

namespace nesmo {

// Loading new firmware into the instrument from an Intel HEX file: the checks
// before (backup, run mode, the operator's consent, the file itself, the
// version gates), the transfer record by record with its retries, the
// instrument's integrity test and its result. The file is read and checked
// whole before anything is sent; while the transfer runs only its own commands
// reach the instrument, and every way out restores the window.
class FirmwareUpgrade final : public QObject {
    Q_OBJECT

public:
    FirmwareUpgrade(AppState& state, Link& link, Dialogs& dialogs, InstrumentProgress& progress,
                    std::function<void(const QString&)> setStatus, QObject* parent = nullptr);

    void FWLoadClick();

    // The file the next file dialog proposes (empty: none yet).
    QString fileName() const { return fileName_; }
    // How long the integrity test may take before it counts as failed.
    void setIntegrityLimitMs(int ms) { integrityLimitMs_ = ms; }

    static constexpr int kStopAttempts = 20;
    static constexpr int kRecordSends = 5;
    static constexpr int kIntegrityLimitMs = 60000;
    static constexpr int kIntegrityPauseMs = 250;

    // Where the upgrade stands, for the window: while records go out the other
    // pages are locked and the hourglass is over them; the integrity test needs
    // the hourglass no more.
    enum class Phase { Idle, Transferring, TestingIntegrity };

signals:
    void phaseChanged(FirmwareUpgrade::Phase phase);

private:
    // Tries to stop a running measurement through the instrument's menu, at most
    // kStopAttempts times in all, then leaves the menu.
    void stopRun(int& attempts);
    void upgrade();
    void transfer(const QString& path, const QList<QByteArray>& records);
    // Sends the records; false when one was not accepted (or the program closes).
    bool sendRecords(const QList<QByteArray>& records, int& blink);
    // Runs the integrity test; 2 passed, 3 failed, 1 no result in time.
    int testIntegrity(int& blink);
    void status(const QString& text) { setStatus_(text); }
    void tell(const QString& text);

    AppState& state_;
    Link& link_;
    Dialogs& dialogs_;
    InstrumentProgress& progress_;
    std::function<void(const QString&)> setStatus_;
    QString fileName_;
    int integrityLimitMs_ = kIntegrityLimitMs;
};

}  // namespace nesmo
