// Reading the whole configuration from the instrument, and the normalisation of
// the page's fields after a read or a write.
#include <QScopedValueRollback>
#include <cmath>

#include "config/config_page.h"
#include "core/conversion.h"
#include "core/number_pattern.h"
#include "link/command_format.h"
#include "link/command_sequence.h"
#include "link/commands.h"
#include "link/link.h"
#include "widgets/busy_scope.h"

namespace nesmo {

namespace {

const QString kLoaded = QStringLiteral("Configuration has been loaded from instrument.");

QString readStatus(bool firstUnanswered, bool stopped, int unanswered)
{
    if (firstUnanswered)
        return QStringLiteral(
            "The instrument did not answer: the configuration has not been "
            "loaded.");
    if (stopped)
        return QStringLiteral(
            "The instrument stopped answering: the configuration has been loaded only in "
            "part, and the page may not match the instrument.");
    if (unanswered == 0) return kLoaded;
    return QStringLiteral(
               "Configuration loaded, but %1 of the queries got no complete reply: "
               "the page may not match the instrument.")
        .arg(unanswered);
}

}  // namespace

void ConfigPage::Tab4Show()
{
    // A page whose clock has been filled has been read already; while another
    // operation talks to the instrument, the read waits for the Get button.
    if (strToFloat(dateDay_->text()) < 1 && !link_.operations().busy()) GetConfigClick();
}

void ConfigPage::GetConfigClick()
{
    if (!link_.linkOpen() || !getConfig_->isEnabled()) return;
    const LongOperation operation(link_.operations(), QStringLiteral("reading the configuration"));
    if (!operation.taken()) {
        dialogs_.message(operation.refusal());
        return;
    }
    CommandSequence sequence(link_);
    const QScopedValueRollback<CommandSequence*> ownSequence(sequence_, &sequence);
    bool silent = false;
    bool stopped = false;
    try {
        BusyScope busy(getConfig_);
        if (!send(cmd::kLogPeriod)) {
            silent = true;
        } else {
            send(cmd::kAutoStart);
            send(cmd::kTag);
            state_.TagNumberChanged = true;
            for (const char* query :
                 {cmd::kDisplayAvg, cmd::kUnits, cmd::kAnalogOut, cmd::kFlowRate, cmd::kRhCorrect,
                  cmd::kBacklight, cmd::kAlarm})
                send(query);
            // The level queries switch the alarm mode; the last one switches it back.
            const int mode = radioGroupAlarm_->itemIndex();
            send(cmd::kAlarmInstant);
            send(cmd::kAlarmStel);
            send(formatCommand(cmd::kAlarmModeFmt, mode));
            for (const char* query : {cmd::kInlet, cmd::kSite, cmd::kCalFactor, cmd::kDate,
                                      cmd::kTime, cmd::kClockVariables, cmd::kSerialNumber})
                send(query);
            FormatTime();
            send(cmd::kSerialNumberLower);
            send(cmd::kFirmwareVersion);
        }
    } catch (const InstrumentNotAnswering&) {
        stopped = true;
    }
    ChangeInletTypeExecute();
    RadioGroupAlarmClick();
    setStatus(readStatus(silent, stopped, sequence.unanswered()));
}

void ConfigPage::FormatTime()
{
    const QString two = QStringLiteral("00");
    const auto rewrite = [this](QLineEdit* field, const QString& pattern) {
        setFieldText(field, pattern::formatNumber(pattern, strToFloat(field->text())));
    };
    for (QLineEdit* f : {logPeriodSec_, logPeriodMin_, logPeriodHour_, displayAvg_, autoStartHour_,
                         autoStartMin_, autoStartDay_})
        rewrite(f, two);
    // The year as the instrument keeps it: two digits, in this century.
    const double year = std::trunc(strToFloat(autoStartYear_->text()));
    const double fullYear = std::fmod(year, 100.0) + 2000.0;
    setFieldText(autoStartYear_, pattern::formatNumber(QStringLiteral("0000"), fullYear));
    rewrite(flowRate_, QStringLiteral("0.00"));
    for (QLineEdit* f : {timeHour_, timeMin_, timeSec_, dateDay_, tagNumber_})
        rewrite(f, two);
    UnitsBoxChange();
}

}  // namespace nesmo
