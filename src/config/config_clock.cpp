// The clock choice and the checks of the logging period, the manual clock and
// the delayed auto-start.
#include "config/clock_rules.h"
#include "config/config_page.h"
#include "core/conversion.h"
#include "core/number_pattern.h"
#include "link/commands.h"

namespace nesmo {

namespace {

QString twoDigits(int v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

QString rewritten(const QString& pattern, const QLineEdit* field)
{
    return pattern::formatNumber(pattern, strToFloat(field->text()));
}

}  // namespace

void ConfigPage::ChangeClockChoiceExecute()
{
    switch (clockChangeChoice_->itemIndex()) {
        case 0:
            // The instrument's clock comes back into the fields.
            send(cmd::kTimeRead);
            send(cmd::kDateRead);
            for (QLineEdit* f : {timeHour_, timeMin_, timeSec_})
                setFieldText(f, rewritten(QStringLiteral("00"), f));
            break;
        case 1: {
            const QDateTime t = now();
            dateYear_->setText(QString::number(t.date().year()));
            dateMonth_->setCurrentIndex(t.date().month() - 1);
            dateDay_->setText(twoDigits(t.date().day()));
            timeHour_->setText(twoDigits(t.time().hour()));
            timeMin_->setText(twoDigits(t.time().minute()));
            timeSec_->setText(twoDigits(t.time().second()));
            break;
        }
        default: break;
    }
    ConfigNotSavedExecute();
}

void ConfigPage::CheckLogPeriodExecute()
{
    const config::LogPeriodCheck c = config::checkLogPeriod(
        logPeriodHour_->text(), logPeriodMin_->text(), logPeriodSec_->text());
    if (c.valid) return;
    logPeriodHour_->setText(c.hours);
    logPeriodMin_->setText(c.minutes);
    logPeriodSec_->setText(c.seconds);
    dialogs_.message(QString::fromLatin1(config::kLogPeriodMessage));
}

void ConfigPage::CheckManualTimeExecute()
{
    if (config::manualClockValid(timeHour_->text(), timeMin_->text(), timeSec_->text(),
                                 dateYear_->text(), dateMonth_->currentIndex(), dateDay_->text()))
        return;
    const bool synchronise =
        dialogs_.askYesNo(QString::fromLatin1(config::kManualClockQuestion),
                          QString::fromLatin1(config::kManualClockCaption), Dialogs::Icon::Error);
    setClockChoice(synchronise ? 1 : 0);
}

void ConfigPage::CheckAutoStartTimeExecute()
{
    const int month = autoStartMonth_->currentIndex();
    // February's length follows the year the auto-start falls in; firmware
    // without an auto-start year starts in the clock's year.
    const int year =
        strToIntDef(autoStartYear_->isHidden() ? dateYear_->text() : autoStartYear_->text(), 2000);
    if (!config::autoStartFieldsValid(autoStartMin_->text(), autoStartHour_->text(),
                                      autoStartDay_->text(), month, year)) {
        dialogs_.message(QString::fromLatin1(config::kAutoStartError));
        autoStartEnable_->setChecked(false);
        return;
    }
    if (!autoStartEnable_->isChecked()) return;

    const auto value = [](const QLineEdit* f) { return strToIntDef(f->text(), 0); };
    const double start = config::DayNumber(value(autoStartYear_), month + 1, value(autoStartDay_),
                                           value(autoStartHour_), value(autoStartMin_), 0);
    const double clock =
        config::DayNumber(value(dateYear_), dateMonth_->currentIndex() + 1, value(dateDay_),
                          value(timeHour_), value(timeMin_), value(timeSec_));
    const double delta = start - clock;

    if (delta > config::kAutoStartLimitDays) {
        dialogs_.message(QString::fromLatin1(config::kAutoStartTooFar));
        autoStartEnable_->setChecked(false);
    }
    if (delta < 0) {
        const bool startNow = dialogs_.askYesNo(
            QString::fromLatin1(config::kAutoStartPassedQuestion),
            QString::fromLatin1(config::kAutoStartPassedCaption), Dialogs::Icon::None);
        double r;
        if (startNow) {
            r = clock + config::kAboutOneSecond;
            autoStartMin_->setText(pattern::formatDateTime(QStringLiteral("nn"), r));
        } else {
            r = clock + config::kOneHourLater;
            autoStartMin_->setText(QStringLiteral("00"));
            autoStartEnable_->setChecked(false);
        }
        autoStartDay_->setText(pattern::formatDateTime(QStringLiteral("dd"), r));
        autoStartMonth_->setCurrentIndex(pattern::formatDateTime(QStringLiteral("m"), r).toInt() -
                                         1);
        autoStartYear_->setText(pattern::formatDateTime(QStringLiteral("yyyy"), r));
        autoStartHour_->setText(pattern::formatDateTime(QStringLiteral("hh"), r));
        if (startNow) return;
    }
    const QString countdown = config::autoStartCountdown(delta);
    if (autoStartEnable_->isChecked()) setStatus(countdown);
}

}  // namespace nesmo
