// The "Configure instrument" page: its controls, their layout and the wiring of
// their handlers.
#include "config/config_page.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include "core/conversion.h"
#include "core/number_pattern.h"
#include "link/command_sequence.h"
#include "link/link.h"
#include "widgets/control_names.h"
#include "widgets/run_guarded.h"

namespace nesmo {

namespace {

const QStringList kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const QStringList kMassRanges = {"DISABLED",    "0.100 mg/m3",  "0.400 mg/m3",  "1.000 mg/m3",
                                 "4.000 mg/m3", "10.000 mg/m3", "40.000 mg/m3", "100 mg/m3",
                                 "400 mg/m3",   "1000 mg/m3"};
const QStringList kScatterRanges = {"DISABLED",   "  10/Mm   ", " 100/Mm   ",
                                    "1000/Mm   ", "10000/Mm  ", "100000/Mm "};
const QStringList kVisibilityRanges = {"    500 km", " "};

QLabel* separator(const char* text)
{
    return new QLabel(QString::fromLatin1(text));
}

// A field's starting number, with the user's decimal separator.
QString localNumber(const char* pattern, double value)
{
    return pattern::formatNumber(QString::fromLatin1(pattern), value);
}

QHBoxLayout* row(std::initializer_list<QWidget*> widgets)
{
    auto* h = new QHBoxLayout;
    h->setSpacing(3);
    for (QWidget* w : widgets)
        h->addWidget(w);
    h->addStretch(1);
    return h;
}

}  // namespace

ConfigPage::ConfigPage(AppState& state, Link& link, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), state_(state), link_(link), dialogs_(dialogs), entry_(new NumericEntry(this))
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 0);
    outer->setSpacing(4);

    // The groups scroll when the window is too small to show them whole.
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("ConfigScrollArea"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("ConfigGroups"));
    auto* grid = new QGridLayout(content);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(6);

    auto* logging = nameControl(new QGroupBox(QStringLiteral("Configure Logging Parameters")),
                                "GroupBoxLogging");
    buildLoggingGroup(logging);
    auto* setup =
        nameControl(new QGroupBox(QStringLiteral("Configure Setup Parameters")), "GroupBoxSetup");
    buildSetupGroup(setup);
    auto* clock = nameControl(new QGroupBox(QStringLiteral("Set Instrument's Time and Date")),
                              "GroupBoxClock");
    buildClockGroup(clock);

    grid->addWidget(logging, 0, 0);
    grid->addWidget(clock, 1, 0, Qt::AlignTop);
    grid->addWidget(setup, 0, 1, 2, 1, Qt::AlignTop);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    scroll->setWidget(content);
    outer->addWidget(scroll, 1);

    getConfig_ =
        nameControl(new QPushButton(QStringLiteral("&Get current configuration")), "GetConfig");
    setConfig_ =
        nameControl(new QPushButton(QStringLiteral("&Set new configuration")), "SetConfig");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(getConfig_);
    buttons->addWidget(setConfig_);
    buttons->addStretch(1);
    outer->addLayout(buttons);

    statusBar_ =
        nameField(new QStatusBar, "StatusBarConfig", QStringLiteral("Configuration status"));
    statusBar_->setSizeGripEnabled(false);
    statusText_ = new QLabel;
    statusText_->setObjectName(QStringLiteral("StatusBarConfigText"));
    statusText_->setMinimumWidth(1);
    statusBar_->addWidget(statusText_, 1);
    outer->addWidget(statusBar_);

    connectHandlers();
}

QLineEdit* ConfigPage::numericField(const char* objectName, const QString& readable,
                                    const QString& text, const QString& widest)
{
    auto* e = nameField(new QLineEdit(text), objectName, readable);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(widest) + 14);
    return e;
}

void ConfigPage::buildLoggingGroup(QWidget* group)
{
    auto* v = new QVBoxLayout(group);
    v->setSpacing(4);
    loggingEnable_ = nameControl(
        new QCheckBox(QStringLiteral("Enable Data Logging;  Period [hh:mm:ss]:")), "LoggingEnable");
    loggingEnable_->setChecked(true);
    v->addWidget(loggingEnable_);
    logPeriodHour_ = numericField("LogPeriodHourEdit", QStringLiteral("Logging period hours"),
                                  QStringLiteral("00"), QStringLiteral("000"));
    logPeriodMin_ = numericField("LogPeriodMinEdit", QStringLiteral("Logging period minutes"),
                                 QStringLiteral("00"), QStringLiteral("000"));
    logPeriodSec_ = numericField("LogPeriodSecEdit", QStringLiteral("Logging period seconds"),
                                 QStringLiteral("00"), QStringLiteral("000"));
    auto* period =
        row({logPeriodHour_, separator(":"), logPeriodMin_, separator(":"), logPeriodSec_});
    period->insertSpacing(0, 20);
    v->addLayout(period);

    tagNumber_ = numericField("TagNumberEdit", QStringLiteral("Tag number"), QStringLiteral("00"),
                              QStringLiteral("000"));
    auto* tagLabel = new QLabel(QStringLiteral("Tag Number"));
    tagLabel->setBuddy(tagNumber_);
    auto* tag = row({tagLabel, tagNumber_});
    tag->insertSpacing(0, 20);
    v->addLayout(tag);

    autoStartEnable_ = nameControl(
        new QCheckBox(QStringLiteral("Enable Auto Start;  [d-m-y h:m:n]:")), "AutoStartEnable");
    v->addWidget(autoStartEnable_);
    autoStartDay_ = numericField("AutoStartDay", QStringLiteral("Auto start day"),
                                 QStringLiteral("00"), QStringLiteral("000"));
    autoStartMonth_ =
        nameField(new QComboBox, "AutoStartMonth", QStringLiteral("Auto start month"));
    autoStartMonth_->addItems(kMonths);
    autoStartMonth_->setCurrentIndex(-1);
    autoStartYear_ = numericField("AutoStartYear", QStringLiteral("Auto start year"),
                                  QStringLiteral("0000"), QStringLiteral("00000"));
    autoStartHour_ = numericField("AutoStartHour", QStringLiteral("Auto start hour"),
                                  QStringLiteral("00"), QStringLiteral("000"));
    autoStartMin_ = numericField("AutoStartMin", QStringLiteral("Auto start minute"),
                                 QStringLiteral("00"), QStringLiteral("000"));
    auto* start = row({autoStartDay_, autoStartMonth_, autoStartYear_});
    start->insertSpacing(0, 20);
    start->insertSpacing(4, 10);
    start->insertWidget(5, autoStartHour_);
    start->insertWidget(6, separator(":"));
    start->insertWidget(7, autoStartMin_);
    v->addLayout(start);

    labelSN_ = nameControl(new QLabel(QStringLiteral("Serial Number")), "LabelSN");
    labelVer_ = nameControl(new QLabel(QStringLiteral("Version Number")), "LabelVer");
    v->addSpacing(4);
    v->addWidget(labelSN_);
    v->addWidget(labelVer_);
}

void ConfigPage::buildSetupGroup(QWidget* group)
{
    auto* g = new QGridLayout(group);
    g->setVerticalSpacing(4);
    g->setHorizontalSpacing(6);
    int r = 0;
    auto label = [&](const QString& text, QWidget* buddy, const QString& hint = QString()) {
        auto* l = new QLabel(text);
        l->setBuddy(buddy);
        if (!hint.isEmpty()) l->setToolTip(hint);
        g->addWidget(l, r, 0);
        return l;
    };

    displayAvg_ = numericField("DisplayAvgEdit", QStringLiteral("Display averaging time"),
                               QStringLiteral("10"), QStringLiteral("0000"));
    displayAvg_->setToolTip(QStringLiteral("1 to 60 seconds"));
    label(QStringLiteral("Display Averaging Time"), displayAvg_, QStringLiteral("1 to 60 seconds"));
    g->addLayout(row({displayAvg_, new QLabel(QStringLiteral("seconds"))}), r++, 1);

    unitsBox_ = nameField(new QComboBox, "UnitsBox", QStringLiteral("Units"));
    unitsBox_->addItems({"MASS [ug/m3]", "SCAT [ /Mm ]", "MASS [mg/m3]"});
    unitsBox_->setCurrentIndex(-1);
    label(QStringLiteral("Units:"), unitsBox_);
    g->addWidget(unitsBox_, r++, 1);

    // The four range lists share one place; the units decide which one shows.
    const char* rangeNames[4] = {"AnalogRange0", "AnalogRange1", "AnalogRange2", "AnalogRange3"};
    const QString rangeReadable[4] = {
        QStringLiteral("Analog output range (ug/m3)"), QStringLiteral("Analog output range (/Mm)"),
        QStringLiteral("Analog output range (km)"), QStringLiteral("Analog output range (mg/m3)")};
    const QStringList* rangeItems[4] = {&kMassRanges, &kScatterRanges, &kVisibilityRanges,
                                        &kMassRanges};
    QLabel* rangeLabel = label(QStringLiteral("Analog Output range:"), nullptr);
    for (int i = 0; i < 4; ++i) {
        analogRange_[i] = nameField(new QComboBox, rangeNames[i], rangeReadable[i]);
        analogRange_[i]->addItems(*rangeItems[i]);
        analogRange_[i]->setCurrentIndex(-1);
        analogRange_[i]->setVisible(i == 2);
        g->addWidget(analogRange_[i], r, 1);
    }
    rangeLabel->setBuddy(analogRange_[2]);
    ++r;

    inletTypeBox_ = nameField(new QComboBox, "InletTypeBox", QStringLiteral("Inlet type"));
    inletTypeBox_->addItems({"TOTAL", "RED CYCLONE", "BLUE CYCLONE"});
    inletTypeBox_->setCurrentIndex(-1);
    label(QStringLiteral("Inlet Type"), inletTypeBox_);
    g->addWidget(inletTypeBox_, r++, 1);

    flowRate_ = numericField("FlowRateEdit", QStringLiteral("Flow rate"), localNumber("0.00", 1.2),
                             QStringLiteral("00.000"));
    label(QStringLiteral("Flow Rate [LPM]:"), flowRate_);
    g->addWidget(flowRate_, r++, 1);

    cutPoint_ = numericField("CutPointEdit", QStringLiteral("Cut point"), localNumber("0.0", 2.5),
                             QStringLiteral("00.000"));
    labelCutPoint_ = nameControl(new QLabel(QStringLiteral("Cut point [um]:")), "LabelCutPoint");
    labelCutPoint_->setToolTip(QStringLiteral("Aerodynanmic Equivalent Diameter 50% Cut Point"));
    labelCutPoint_->setBuddy(cutPoint_);
    labelCutPoint_->hide();
    cutPoint_->hide();
    g->addWidget(labelCutPoint_, r, 0);
    g->addWidget(cutPoint_, r++, 1);

    rhCorrection_ = nameControl(new QCheckBox(QStringLiteral("Correct for Relative Humidity")),
                                "RHCorrectionBox");
    g->addWidget(rhCorrection_, r++, 0, 1, 2);
    backlight_ = nameControl(new QCheckBox(QStringLiteral("Backlight")), "BacklightEnable");
    g->addWidget(backlight_, r++, 0, 1, 2);

    radioGroupAlarm_ =
        nameControl(new RadioGroup(QStringLiteral("Alarm"), {"Disabled", "Instant", "STEL"}),
                    "RadioGroupAlarm");
    radioGroupAlarm_->setItemIndex(0);
    concAlarmLevel_ = numericField("ConcAlarmLevelEdit", QStringLiteral("Instant alarm level"),
                                   QStringLiteral("0"), QStringLiteral("00000.000"));
    stelAlarmLevel_ = numericField("StelAlarmLevelEdit", QStringLiteral("STEL alarm level"),
                                   QStringLiteral("0"), QStringLiteral("00000.000"));
    alarm128_ = nameControl(new QLabel(QStringLiteral("Upgrade available")), "Alarm128");
    alarm128_->setToolTip(QStringLiteral("An upgrade to the Nesmo-7 firmware is available"));
    alarm128_->setWordWrap(true);
    alarm128_->hide();
    radioGroupAlarm_->setBeside(0, alarm128_);
    radioGroupAlarm_->setBeside(1, concAlarmLevel_);
    radioGroupAlarm_->setBeside(2, stelAlarmLevel_);
    g->addWidget(radioGroupAlarm_, r++, 0, 1, 2);

    edit2_ = numericField("Edit2", QStringLiteral("Current site number"), QStringLiteral("10"),
                          QStringLiteral("0000"));
    label(QStringLiteral("Site "), edit2_);
    label25_ = nameControl(new QLabel(QStringLiteral("Site ")), "Label25");
    label25_->setMinimumWidth(1);
    auto* siteRow = new QHBoxLayout;
    siteRow->setSpacing(6);
    siteRow->addWidget(edit2_);
    siteRow->addWidget(label25_, 1);
    g->addLayout(siteRow, r++, 1);

    calFactor_ = numericField("CalFactorEdit", QStringLiteral("Calibration factor"),
                              localNumber("0.00", 1.0), QStringLiteral("000.000"));
    calFactor_->setEnabled(false);
    label(QStringLiteral("Calibration Factor:"), calFactor_);
    editCF_ = nameControl(new QCheckBox(QStringLiteral("Edit Site list")), "Edit_CF");
    g->addWidget(calFactor_, r++, 1);
    g->addWidget(editCF_, r++, 1);
    g->setColumnStretch(1, 1);
}

void ConfigPage::buildClockGroup(QWidget* group)
{
    auto* g = new QGridLayout(group);
    g->setVerticalSpacing(4);
    dateDay_ = numericField("DateDayEdit", QStringLiteral("Clock day"), QStringLiteral("00"),
                            QStringLiteral("000"));
    dateMonth_ = nameField(new QComboBox, "DateMonthEdit", QStringLiteral("Clock month"));
    dateMonth_->addItems(kMonths);
    dateMonth_->setCurrentIndex(-1);
    dateYear_ = numericField("DateYearEdit", QStringLiteral("Clock year"), QStringLiteral("0000"),
                             QStringLiteral("00000"));
    auto* dateLabel = new QLabel(QStringLiteral("Date [d-m-y]:"));
    dateLabel->setBuddy(dateDay_);
    g->addWidget(dateLabel, 0, 0);
    g->addLayout(row({dateDay_, dateMonth_, dateYear_}), 0, 1);

    timeHour_ = numericField("TimeHourEdit", QStringLiteral("Clock hour"), QStringLiteral("00"),
                             QStringLiteral("000"));
    timeMin_ = numericField("TimeMinEdit", QStringLiteral("Clock minute"), QStringLiteral("00"),
                            QStringLiteral("000"));
    timeSec_ = numericField("TimeSecEdit", QStringLiteral("Clock second"), QStringLiteral("00"),
                            QStringLiteral("000"));
    auto* timeLabel = new QLabel(QStringLiteral("Time [h:m:s]:"));
    timeLabel->setBuddy(timeHour_);
    g->addWidget(timeLabel, 1, 0);
    g->addLayout(row({timeHour_, separator(":"), timeMin_, separator(":"), timeSec_}), 1, 1);

    clockChangeChoice_ = nameField(new RadioGroup(QString(), {"&Don't change the time or date",
                                                              "&Load the computer's time and date",
                                                              "&Enter the time manually"}),
                                   "ClockChangeChoice", QStringLiteral("Clock setting"));
    clockChangeChoice_->setItemIndex(0);
    g->addWidget(clockChangeChoice_, 2, 0, 1, 2);
    g->setColumnStretch(1, 1);
}

void ConfigPage::connectHandlers()
{
    connect(loggingEnable_, &QCheckBox::toggled, this,
            [this] { fromSignal([this] { TagNumberEditEnter(); }); });
    for (QCheckBox* box : {autoStartEnable_, rhCorrection_, backlight_})
        connect(box, &QCheckBox::toggled, this,
                [this] { fromSignal([this] { ConfigNotSavedExecute(); }); });
    connect(editCF_, &QCheckBox::toggled, this, [this] { fromSignal([this] { Edit_CFClick(); }); });
    editCF_->installEventFilter(this);

    // Drop-down lists act on the operator's choice only.
    for (QComboBox* box : {autoStartMonth_, dateMonth_, analogRange_[0], analogRange_[1],
                           analogRange_[2], analogRange_[3]})
        connect(box, &QComboBox::activated, this,
                [this] { fromOperator([this] { ConfigNotSavedExecute(); }); });
    connect(unitsBox_, &QComboBox::activated, this,
            [this] { fromOperator([this] { UnitsBoxChange(); }); });
    connect(inletTypeBox_, &QComboBox::activated, this,
            [this] { fromOperator([this] { ChangeInletTypeExecute(); }); });

    connect(flowRate_, &QLineEdit::textChanged, this,
            [this] { fromSignal([this] { CalculateCutPointExecute(); }); });
    connect(cutPoint_, &QLineEdit::textChanged, this,
            [this] { fromSignal([this] { CalculateFlowRateExecute(); }); });
    connect(radioGroupAlarm_, &RadioGroup::changed, this,
            [this] { fromSignal([this] { RadioGroupAlarmClick(); }); });
    connect(clockChangeChoice_, &RadioGroup::changed, this, [this] {
        // A choice made during a read or a write is not one of its exchanges.
        const QScopedValueRollback<CommandSequence*> own(sequence_, nullptr);
        fromSignal([this] { ChangeClockChoiceExecute(); });
    });

    connect(getConfig_, &QPushButton::clicked, this,
            [this] { fromOperator([this] { GetConfigClick(); }); });
    connect(setConfig_, &QPushButton::clicked, this,
            [this] { fromOperator([this] { SetConfigClick(); }); });

    const auto exit = [this](QLineEdit* f) { fromOperator([this, f] { NumericOnExit(f); }); };
    for (QLineEdit* f :
         {displayAvg_, calFactor_, concAlarmLevel_, stelAlarmLevel_, edit2_, logPeriodHour_,
          logPeriodMin_, logPeriodSec_, autoStartDay_, autoStartYear_, autoStartHour_,
          autoStartMin_, dateDay_, dateYear_, timeHour_, timeMin_, timeSec_})
        entry_->add(f, exit, exit);
    entry_->add(tagNumber_, exit, exit,
                [this](QLineEdit*) { fromOperator([this] { TagNumberEditEnter(); }); });
    entry_->add(
        flowRate_, [this](QLineEdit* f) { fromOperator([this, f] { ChangeFlowrateExecute(f); }); },
        exit, [this](QLineEdit*) { FlowRateEditEnter(); });
    entry_->add(
        cutPoint_, [this](QLineEdit*) { fromOperator([this] { ChangeCutPointExecute(); }); }, exit,
        [this](QLineEdit*) { CutPointEditEnter(); });
}

void ConfigPage::addNumericField(QLineEdit* field, std::function<void()> applied)
{
    deviceField_ = field;
    deviceApplied_ = std::move(applied);
    const auto exit = [this](QLineEdit* f) { fromOperator([this, f] { NumericOnExit(f); }); };
    entry_->add(field, exit, exit);
}

bool ConfigPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == editCF_ && event->type() == QEvent::FocusOut)
        fromOperator([this] { Edit_CFClick(); });
    return QWidget::eventFilter(watched, event);
}

void ConfigPage::fromSignal(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const OperationAborted&) {
        // Stopped on purpose, silently.
    } catch (const std::exception& e) {
        // The sender may be the reply parser, where no message box may open.
        const QString text = QString::fromLocal8Bit(e.what());
        QTimer::singleShot(0, this, [this, text] { dialogs_.error(text); });
    }
}

void ConfigPage::fromOperator(const std::function<void()>& handler)
{
    runGuarded(dialogs_, handler);
}

void ConfigPage::setFieldText(QLineEdit* field, const QString& text)
{
    if (field->text() == text) return;
    {
        const QSignalBlocker quiet(field);
        field->setText(text);
    }
    fieldTextChanged(field);
}

void ConfigPage::fieldTextChanged(QLineEdit* field)
{
    if (field == flowRate_) CalculateCutPointExecute();
    if (field == cutPoint_) CalculateFlowRateExecute();
}

void ConfigPage::setClockChoice(int index)
{
    if (clockChangeChoice_->itemIndex() == index) return;
    {
        const QSignalBlocker quiet(clockChangeChoice_);
        clockChangeChoice_->setItemIndex(index);
    }
    ChangeClockChoiceExecute();
}

void ConfigPage::setStatus(const QString& text)
{
    statusText_->setText(text);
}

int ConfigPage::send(const QByteArray& command)
{
    return sequence_ ? sequence_->send(command) : link_.SendCommand(command);
}

QComboBox* ConfigPage::rangeListFor(int units) const
{
    switch (units) {
        case 0: return analogRange_[0];
        case 1: return analogRange_[1];
        case 2: return analogRange_[3];
        case 3: return analogRange_[2];
        default: return nullptr;
    }
}

}  // namespace nesmo
