#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace nesmo {

// The "Configure instrument" page. For now it holds what the instrument's
// version and serial number replies write: the identity labels, the upgrade
// notice and the fields whose use depends on the firmware version.
class ConfigPage final : public QWidget {
    Q_OBJECT

public:
    explicit ConfigPage(QWidget* parent = nullptr);

    QLabel* LabelSN() const { return labelSN_; }
    QLabel* LabelVer() const { return labelVer_; }
    QLabel* Alarm128() const { return alarm128_; }
    QLineEdit* StelAlarmLevelEdit() const { return stelAlarmLevelEdit_; }
    QLineEdit* AutoStartYear() const { return autoStartYear_; }

private:
    QLabel* labelSN_ = nullptr;
    QLabel* labelVer_ = nullptr;
    QLabel* alarm128_ = nullptr;
    QLineEdit* stelAlarmLevelEdit_ = nullptr;
    QLineEdit* autoStartYear_ = nullptr;
};

}  // namespace nesmo
