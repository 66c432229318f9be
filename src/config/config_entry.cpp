// Field entry rules, the units and alarm choices, and the not-saved marks.
#include "config/config_page.h"
#include "core/conversion.h"
#include "core/number_pattern.h"

namespace nesmo {

namespace {
const QString kNotSaved = QStringLiteral("Configuration edit has not been saved to instrument");
const QString kEditNotSaved = QStringLiteral("Edit has not been saved");
const QString kBlankField = QStringLiteral("This Field can't be left blank");
}  // namespace

void ConfigPage::NumericOnExit(QLineEdit* field)
{
    if (const std::optional<double> value = pattern::parseReal(field->text())) {
        setFieldText(field, pattern::generalNumber(*value));
        ConfigNotSavedExecute();
    } else {
        entry_->giveFocusBack(field);
        if (field->text().isEmpty()) dialogs_.message(kBlankField);
    }
    if (field == deviceField_ && deviceApplied_) deviceApplied_();
}

void ConfigPage::UnitsBoxChange()
{
    const int u = unitsBox_->currentIndex();
    ShowAnalogRangeBox(u);
    QRadioButton* instant = radioGroupAlarm_->button(1);
    QRadioButton* stel = radioGroupAlarm_->button(2);
    if (u == 0 || u == 2) {
        instant->setText(QStringLiteral("Instant [mg/m3]"));
        stel->setText(QStringLiteral("STEL [mg/m3]"));
    } else if (u == 1) {
        instant->setText(QStringLiteral("Instant [ /km ]"));
        stel->setText(QStringLiteral("STEL [ /km ]"));
    }
    ConfigNotSavedExecute();
}

void ConfigPage::ShowAnalogRangeBox(int units)
{
    // The units of the list shown now; when none is shown (units outside 0 to 3
    // were reported), the new list starts on its first item.
    int shown = -1;
    for (int u : {0, 1, 3, 2})  // AnalogRange0, 1, 2, 3 in this order
        if (!rangeListFor(u)->isHidden()) shown = u;
    for (QComboBox* list : analogRange_)
        list->hide();
    QComboBox* list = rangeListFor(units);
    if (!list) return;
    list->show();
    if (units != shown) list->setCurrentIndex(0);
}

void ConfigPage::RadioGroupAlarmClick()
{
    const int item = radioGroupAlarm_->itemIndex();
    concAlarmLevel_->setEnabled(item == 1);
    stelAlarmLevel_->setEnabled(item == 2);
}

void ConfigPage::TagNumberEditEnter()
{
    state_.TagNumberChanged = true;
    setStatus(kEditNotSaved);
}

void ConfigPage::ConfigNotSavedExecute()
{
    setStatus(kNotSaved);
}

void ConfigPage::Edit_CFClick()
{
    calFactor_->setEnabled(editCF_->isChecked());
}

}  // namespace nesmo
