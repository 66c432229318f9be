// Writing the whole configuration shown on the page to the instrument, in its
// fixed order, with the checks and repairs that come before.
#include "config/config_page.h"

#include <QScopedValueRollback>

#include "config/write_rules.h"
#include "core/conversion.h"
#include "core/number_pattern.h"
#include "link/command_format.h"
#include "link/command_sequence.h"
#include "link/commands.h"
#include "link/link.h"
#include "widgets/busy_scope.h"

namespace nesmo {

namespace {

const char* onOff(const QCheckBox* box)
{
    return box->isChecked() ? "on" : "off";
}

QByteArray latin1(const QLineEdit* field)
{
    return field->text().toLatin1();
}

}  // namespace

QStringList ConfigPage::missingSelections() const
{
    // Each of these is sent as its item number: with none selected the
    // instrument would be told -1, or month 0.
    QStringList missing;
    if (unitsBox_->currentIndex() < 0)
        missing << QStringLiteral("Units");
    else if (QComboBox* range = rangeListFor(unitsBox_->currentIndex());
             range && range->currentIndex() < 0)
        missing << QStringLiteral("Analog Output range");
    if (inletTypeBox_->currentIndex() < 0) missing << QStringLiteral("Inlet Type");
    // The month matters only for an auto-start that is switched on.
    if (autoStartEnable_->isChecked() && autoStartMonth_->currentIndex() < 0)
        missing << QStringLiteral("Auto Start month");
    if (clockChangeChoice_->itemIndex() == 2 && dateMonth_->currentIndex() < 0)
        missing << QStringLiteral("the month of the instrument's date");
    return missing;
}

void ConfigPage::SetConfigClick()
{
    if (!link_.linkOpen() || state_.FirmwareUpgradeActive || !setConfig_->isEnabled()) return;
    if (unitsBox_->currentIndex() < 0 && state_.UnitsReported >= unitsBox_->count()) {
        // Reading again gives the same code: say so instead of advising it.
        dialogs_.message(config::unknownUnitsMessage(state_.UnitsReported));
        return;
    }
    if (const QStringList missing = missingSelections(); !missing.isEmpty()) {
        dialogs_.message(config::missingSelectionMessage(missing));
        return;
    }
    const LongOperation operation(link_.operations(), QStringLiteral("writing the configuration"));
    if (!operation.taken()) {
        dialogs_.message(operation.refusal());
        return;
    }
    CommandSequence sequence(link_);
    const QScopedValueRollback<CommandSequence*> ownSequence(sequence_, &sequence);
    try {
        writeConfiguration();
    } catch (const InstrumentNotAnswering&) {
        setStatus(
            QStringLiteral("The instrument does not answer: the configuration was not "
                           "sent whole, and the instrument may not match the page."));
    }
}

void ConfigPage::writeConfiguration()
{
    CommandSequence& sequence = *sequence_;
    send(cmd::kRunMode);
    if (state_.InstrumentRunning) {
        dialogs_.message(QString::fromLatin1(config::kRunModeRefusal));
        return;
    }

    BusyScope busy(setConfig_);
    send(cmd::kFirmwareVersionSet);
    ChangeClockChoiceExecute();
    CheckLogPeriodExecute();
    sendLogPeriod();
    checkTagNumber();
    send(formatCommand(cmd::kTagSetFmt, latin1(tagNumber_).constData(), onOff(loggingEnable_)));

    send(formatCommand(cmd::kDisplayAvgSetFmt, latin1(displayAvg_).constData()));
    const int units = unitsBox_->currentIndex();
    send(formatCommand(cmd::kUnitsSetFmt, units));
    // Units outside 0 to 3 have no range list: nothing to send for the range.
    if (QComboBox* range = rangeListFor(units))
        send(formatCommand(cmd::kAnalogOutSetFmt, range->currentIndex()));
    const float flow = static_cast<float>(strToFloat(flowRate_->text()));
    send(formatCommand(cmd::kFlowRateSetFmt, double(flow)));
    send(formatCommand(cmd::kRhCorrectSetFmt, onOff(rhCorrection_)));
    send(formatCommand(cmd::kBacklightSetFmt, onOff(backlight_)));

    sendAlarm();
    send(formatCommand(cmd::kInletSetFmt, inletTypeBox_->currentIndex()));
    sendSite();
    sendClock();
    CheckAutoStartTimeExecute();
    sendAutoStart();
    FormatTime();

    const bool delayedAutoStart = autoStartEnable_->isChecked() && !autoStartYear_->isHidden();
    if (delayedAutoStart) dialogs_.message(QString::fromLatin1(config::kDelayedAutoStart));
    setStatus(config::writeStatus(sequence.unanswered(), delayedAutoStart));
}

void ConfigPage::sendLogPeriod()
{
    // After the check each field holds an integer from 0 to 59.
    const int h = strToInt(logPeriodHour_->text()) & 0xFF;
    const int m = strToInt(logPeriodMin_->text()) & 0xFF;
    const int s = strToInt(logPeriodSec_->text()) & 0xFF;
    send(formatCommand(cmd::kLogPeriodSetFmt, h * 3600 + m * 60 + s));
    const QString two = QStringLiteral("00");
    logPeriodSec_->setText(pattern::formatNumber(two, s));
    logPeriodMin_->setText(pattern::formatNumber(two, m));
    logPeriodHour_->setText(pattern::formatNumber(two, h));
}

void ConfigPage::checkTagNumber()
{
    // Case A: the tag number was not touched; the instrument's own comes back.
    if (loggingEnable_->isChecked() && !state_.TagNumberChanged) {
        send(cmd::kTagQuery);
        loggingEnable_->setChecked(true);
    }
    // Case B: the tag number may point at a tag that holds data: move it to the
    // next free one.
    if (!loggingEnable_->isChecked() || !state_.TagNumberChanged) return;
    state_.TagNumberChanged = false;
    send(cmd::kTagsQuery);
    QList<int> logged;
    const int lines = tagList_ ? tagList_->count() : 0;
    for (int i = 0; i < lines; ++i)
        logged << strToInt(tagList_->item(i)->text());
    const int next = config::nextFreeTag(logged);
    for (int tag : std::as_const(logged)) {
        if (tag != strToInt(tagNumber_->text())) continue;
        dialogs_.message(config::tagHoldsDataMessage(tagNumber_->text(), next));
        tagNumber_->setText(QString::number(next));
    }
}

void ConfigPage::sendAlarm()
{
    int selection = radioGroupAlarm_->itemIndex();
    const bool oldFirmware = !alarm128_->isHidden();
    if (oldFirmware && selection == 2) {
        selection = 1;
        stelAlarmLevel_->setText(pattern::formatNumber(QStringLiteral("0.000"), 0.0));
        dialogs_.message(QString::fromLatin1(config::kStelNeedsUpgrade));
    } else {
        strToFloat(stelAlarmLevel_->text());  // must be a number, whatever is sent
    }
    float level = 0.0f;
    if (selection == 1) level = static_cast<float>(strToFloat(concAlarmLevel_->text()));
    if (selection == 2) level = static_cast<float>(strToFloat(stelAlarmLevel_->text()));
    for (const QByteArray& command : config::alarmCommands(selection, oldFirmware, level))
        send(command);
}

void ConfigPage::sendSite()
{
    const float factor = static_cast<float>(strToFloat(calFactor_->text()));
    const int site = strToInt(edit2_->text());
    const QByteArray command = config::siteCommand(site, editCF_->isChecked(), factor);
    editCF_->setChecked(false);
    calFactor_->setEnabled(false);
    send(command);
    if (edit2_->text() == QLatin1String("1")) send(cmd::kSiteFactoryDefault);
}

void ConfigPage::sendClock()
{
    if (clockChangeChoice_->itemIndex() == 2) CheckManualTimeExecute();
    switch (clockChangeChoice_->itemIndex()) {
        case 0:
            send(cmd::kTimeRead);
            send(cmd::kDateRead);
            break;
        case 1: {
            const QDateTime t = now();
            send(formatCommand(cmd::kTimeSetFmt, t.time().second(), t.time().minute(),
                               t.time().hour()));
            send(
                formatCommand(cmd::kDateSetFmt, t.date().day(), t.date().month(), t.date().year()));
            break;
        }
        case 2:
            send(formatCommand(cmd::kTimeManualFmt, latin1(timeSec_).constData(),
                               latin1(timeMin_).constData(), latin1(timeHour_).constData()));
            send(formatCommand(cmd::kDateManualFmt, latin1(dateDay_).constData(),
                               dateMonth_->currentIndex() + 1, latin1(dateYear_).constData()));
            break;
        default: break;
    }
}

void ConfigPage::sendAutoStart()
{
    // The instrument keeps a two-digit year.
    autoStartYear_->setText(QString::number(strToInt(autoStartYear_->text()) % 100));
    const QByteArray min = latin1(autoStartMin_), hour = latin1(autoStartHour_),
                     day = latin1(autoStartDay_);
    // With auto-start off and no month chosen (the instrument reported none), any
    // month does: January.
    const int month = qMax(autoStartMonth_->currentIndex(), 0) + 1;
    if (!autoStartYear_->isHidden())
        send(formatCommand(cmd::kAutoStartYearSetFmt, min.constData(), hour.constData(),
                           day.constData(), month, latin1(autoStartYear_).constData(),
                           onOff(autoStartEnable_)));
    else
        send(formatCommand(cmd::kAutoStartSetFmt, min.constData(), hour.constData(),
                           day.constData(), month, onOff(autoStartEnable_)));
}

}  // namespace nesmo
