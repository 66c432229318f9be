#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QWidget>
#include <functional>

#include "config/numeric_entry.h"
#include "config/radio_group.h"
#include "core/app_state.h"
#include "core/dialogs.h"

namespace nesmo {

class CommandSequence;

class Link;

// The "Configure instrument" page: the working copy of the instrument's
// configuration. Its fields are filled by the reply handlers (through the
// window view) and by the read; the write turns them back into commands.
//
// The handlers keep the names the operator's actions are known by. Those that
// the program itself triggers (a field rewritten by a read, a clock choice
// changed by a check) run directly, so that an error stops the operation that
// caused it; those that follow the operator's or a reply's change run through
// the controls' signals and report an error on their own.
class ConfigPage final : public QWidget {
    Q_OBJECT

public:
    ConfigPage(AppState& state, Link& link, Dialogs& dialogs, QWidget* parent = nullptr);

    // The tag list of the Data text page, read by the write's tag check.
    void setTagList(QListWidget* tagList) { tagList_ = tagList; }
    // Gives a field of another page the numeric entry rules; applied runs after
    // each exit normalisation of that field.
    void addNumericField(QLineEdit* field, std::function<void()> applied);
    // The computer's clock (tests put in their own).
    void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }

    // Controls, by their names.
    QCheckBox* LoggingEnable() const { return loggingEnable_; }
    QLineEdit* LogPeriodHourEdit() const { return logPeriodHour_; }
    QLineEdit* LogPeriodMinEdit() const { return logPeriodMin_; }
    QLineEdit* LogPeriodSecEdit() const { return logPeriodSec_; }
    QLineEdit* TagNumberEdit() const { return tagNumber_; }
    QCheckBox* AutoStartEnable() const { return autoStartEnable_; }
    QLineEdit* AutoStartDay() const { return autoStartDay_; }
    QComboBox* AutoStartMonth() const { return autoStartMonth_; }
    QLineEdit* AutoStartYear() const { return autoStartYear_; }
    QLineEdit* AutoStartHour() const { return autoStartHour_; }
    QLineEdit* AutoStartMin() const { return autoStartMin_; }
    QLabel* LabelSN() const { return labelSN_; }
    QLabel* LabelVer() const { return labelVer_; }
    QLineEdit* DisplayAvgEdit() const { return displayAvg_; }
    QComboBox* UnitsBox() const { return unitsBox_; }
    QComboBox* InletTypeBox() const { return inletTypeBox_; }
    QLineEdit* FlowRateEdit() const { return flowRate_; }
    QLabel* LabelCutPoint() const { return labelCutPoint_; }
    QLineEdit* CutPointEdit() const { return cutPoint_; }
    QCheckBox* RHCorrectionBox() const { return rhCorrection_; }
    QCheckBox* BacklightEnable() const { return backlight_; }
    RadioGroup* RadioGroupAlarm() const { return radioGroupAlarm_; }
    QLineEdit* ConcAlarmLevelEdit() const { return concAlarmLevel_; }
    QLineEdit* StelAlarmLevelEdit() const { return stelAlarmLevel_; }
    QLabel* Alarm128() const { return alarm128_; }
    QComboBox* AnalogRange(int i) const { return analogRange_[i]; }  // AnalogRange0 .. 3
    QLineEdit* Edit2() const { return edit2_; }
    QLabel* Label25() const { return label25_; }
    QLineEdit* CalFactorEdit() const { return calFactor_; }
    QCheckBox* Edit_CF() const { return editCF_; }
    QLineEdit* DateDayEdit() const { return dateDay_; }
    QComboBox* DateMonthEdit() const { return dateMonth_; }
    QLineEdit* DateYearEdit() const { return dateYear_; }
    QLineEdit* TimeHourEdit() const { return timeHour_; }
    QLineEdit* TimeMinEdit() const { return timeMin_; }
    QLineEdit* TimeSecEdit() const { return timeSec_; }
    RadioGroup* ClockChangeChoice() const { return clockChangeChoice_; }
    QPushButton* GetConfig() const { return getConfig_; }
    QPushButton* SetConfig() const { return setConfig_; }
    QStatusBar* StatusBarConfig() const { return statusBar_; }
    QString statusText() const { return statusText_->text(); }
    // The status line also tells how a firmware upgrade goes.
    void setStatus(const QString& text);
    bool cutPointEntry() const { return cutPointEntry_; }

    // Reading (config_read.cpp)
    void Tab4Show();
    void GetConfigClick();
    void FormatTime();

    // Writing (config_write.cpp)
    void SetConfigClick();

    // Field entry, units and alarm choices (config_entry.cpp)
    void NumericOnExit(QLineEdit* field);
    void UnitsBoxChange();
    void ShowAnalogRangeBox(int units);
    void RadioGroupAlarmClick();
    void TagNumberEditEnter();
    void ConfigNotSavedExecute();
    void Edit_CFClick();

    // Flow rate, inlet and cut point (config_flow.cpp)
    void FlowRateEditEnter() { cutPointEntry_ = false; }
    void CutPointEditEnter() { cutPointEntry_ = true; }
    void CalculateCutPointExecute();
    void CalculateFlowRateExecute();
    void ChangeFlowrateExecute(QWidget* left);
    void ChangeCutPointExecute();
    void ChangeInletTypeExecute();

    // Clock, logging period and auto-start (config_clock.cpp)
    void ChangeClockChoiceExecute();
    void CheckLogPeriodExecute();
    void CheckManualTimeExecute();
    void CheckAutoStartTimeExecute();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLoggingGroup(QWidget* group);
    void buildSetupGroup(QWidget* group);
    void buildClockGroup(QWidget* group);
    QLineEdit* numericField(const char* objectName, const QString& readable, const QString& text,
                            const QString& widest);
    void connectHandlers();

    // A handler run from a control's signal: an error is shown once the signal's
    // sender has finished (it may be the reply parser).
    void fromSignal(const std::function<void()>& handler);
    // A handler run by the operator's action: an error is shown at once.
    void fromOperator(const std::function<void()>& handler);

    // Sets a field's text and, when it changed, runs the field's change handler
    // directly.
    void setFieldText(QLineEdit* field, const QString& text);
    void fieldTextChanged(QLineEdit* field);
    // Selects a clock choice and, when it changed, runs ChangeClockChoiceExecute.
    void setClockChoice(int index);
    // One exchange; inside a read or a write it counts in that operation's
    // sequence, which gives up when the instrument stops answering.
    int send(const QByteArray& command);
    // The range list of a units code (0 AnalogRange0, 1 AnalogRange1,
    // 2 AnalogRange3, 3 AnalogRange2); nullptr for other codes.
    QComboBox* rangeListFor(int units) const;
    QDateTime now() const { return clock_ ? clock_() : QDateTime::currentDateTime(); }

    // Write steps (config_write.cpp)
    QStringList missingSelections() const;
    void writeConfiguration();
    void sendLogPeriod();
    void checkTagNumber();
    void sendAlarm();
    void sendSite();
    void sendClock();
    void sendAutoStart();

    AppState& state_;
    Link& link_;
    Dialogs& dialogs_;
    NumericEntry* entry_ = nullptr;
    QListWidget* tagList_ = nullptr;
    QLineEdit* deviceField_ = nullptr;
    std::function<void()> deviceApplied_;
    std::function<QDateTime()> clock_;
    bool cutPointEntry_ = false;
    CommandSequence* sequence_ = nullptr;  // the read's or the write's, while one runs

    QCheckBox* loggingEnable_ = nullptr;
    QLineEdit* logPeriodHour_ = nullptr;
    QLineEdit* logPeriodMin_ = nullptr;
    QLineEdit* logPeriodSec_ = nullptr;
    QLineEdit* tagNumber_ = nullptr;
    QCheckBox* autoStartEnable_ = nullptr;
    QLineEdit* autoStartDay_ = nullptr;
    QComboBox* autoStartMonth_ = nullptr;
    QLineEdit* autoStartYear_ = nullptr;
    QLineEdit* autoStartHour_ = nullptr;
    QLineEdit* autoStartMin_ = nullptr;
    QLabel* labelSN_ = nullptr;
    QLabel* labelVer_ = nullptr;
    QLineEdit* displayAvg_ = nullptr;
    QComboBox* unitsBox_ = nullptr;
    QComboBox* inletTypeBox_ = nullptr;
    QLineEdit* flowRate_ = nullptr;
    QLabel* labelCutPoint_ = nullptr;
    QLineEdit* cutPoint_ = nullptr;
    QCheckBox* rhCorrection_ = nullptr;
    QCheckBox* backlight_ = nullptr;
    RadioGroup* radioGroupAlarm_ = nullptr;
    QLineEdit* concAlarmLevel_ = nullptr;
    QLineEdit* stelAlarmLevel_ = nullptr;
    QLabel* alarm128_ = nullptr;
    QComboBox* analogRange_[4] = {};
    QLineEdit* edit2_ = nullptr;
    QLabel* label25_ = nullptr;
    QLineEdit* calFactor_ = nullptr;
    QCheckBox* editCF_ = nullptr;
    QLineEdit* dateDay_ = nullptr;
    QComboBox* dateMonth_ = nullptr;
    QLineEdit* dateYear_ = nullptr;
    QLineEdit* timeHour_ = nullptr;
    QLineEdit* timeMin_ = nullptr;
    QLineEdit* timeSec_ = nullptr;
    RadioGroup* clockChangeChoice_ = nullptr;
    QPushButton* getConfig_ = nullptr;
    QPushButton* setConfig_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QLabel* statusText_ = nullptr;
};

}  // namespace nesmo
