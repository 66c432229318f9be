#include "config/config_page.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "shell/accessible.h"

namespace nesmo {

ConfigPage::ConfigPage(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);

    auto* logging = name(new QGroupBox(QStringLiteral("Configure Logging Parameters")),
                         "GroupBoxLogging", QStringLiteral("Configure Logging Parameters"));
    auto* lf = new QFormLayout(logging);
    autoStartYear_ = name(new QLineEdit(QStringLiteral("0000")), "AutoStartYear",
                          QStringLiteral("Auto start year"));
    autoStartYear_->setMaximumWidth(60);
    lf->addRow(QStringLiteral("Auto start year:"), autoStartYear_);
    labelSN_ = name(new QLabel(QStringLiteral("Serial Number")), "LabelSN",
                    QStringLiteral("Serial number"));
    labelVer_ = name(new QLabel(QStringLiteral("Version Number")), "LabelVer",
                     QStringLiteral("Firmware version"));
    lf->addRow(labelSN_);
    lf->addRow(labelVer_);
    alarm128_ = name(new QLabel(QStringLiteral("Upgrade available")), "Alarm128",
                     QStringLiteral("Upgrade available"));
    alarm128_->setToolTip(QStringLiteral("An upgrade to the Nesmo-7 firmware is available"));
    alarm128_->setWordWrap(true);
    alarm128_->hide();
    lf->addRow(alarm128_);
    layout->addWidget(logging);

    auto* alarm = name(new QGroupBox(QStringLiteral("Concentration Alarm")), "GroupBoxAlarm",
                       QStringLiteral("Concentration Alarm"));
    auto* af = new QFormLayout(alarm);
    stelAlarmLevelEdit_ = name(new QLineEdit(QStringLiteral("0.00")), "StelAlarmLevelEdit",
                               QStringLiteral("STEL alarm level"));
    stelAlarmLevelEdit_->setMaximumWidth(90);
    af->addRow(QStringLiteral("STEL alarm level:"), stelAlarmLevelEdit_);
    layout->addWidget(alarm);
    layout->addStretch(1);
}

}  // namespace nesmo
