#pragma once

#include <QByteArray>
#include <QString>

namespace nesmo {

// The controls that the reply interpreter and the receive path write into.
// The windows map each to the widget of the same objectName; tests record them.
enum class Control {
    // Main window
    StatusBarMain,
    // Configuration page
    LabelSN,
    LabelVer,
    Alarm128,
    StelAlarmLevelEdit,
    AutoStartYear,
    LoggingEnable,
    LogPeriodHourEdit,
    LogPeriodMinEdit,
    LogPeriodSecEdit,
    TagNumberEdit,
    AutoStartEnable,
    AutoStartDay,
    AutoStartMonth,
    AutoStartHour,
    AutoStartMin,
    DisplayAvgEdit,
    UnitsBox,
    InletTypeBox,
    FlowRateEdit,
    RHCorrectionBox,
    BacklightEnable,
    RadioGroupAlarm,
    ConcAlarmLevelEdit,
    AnalogRange0,
    AnalogRange1,
    AnalogRange2,
    AnalogRange3,
    Edit2,
    Label25,
    CalFactorEdit,
    DateDayEdit,
    DateMonthEdit,
    DateYearEdit,
    TimeHourEdit,
    TimeMinEdit,
    TimeSecEdit,
    ClockChangeChoice,
    // Data text page and Site List page
    TagListBox,
    SiteList,
    // Instrument panel window
    PanelSerialLabel,
    PanelVersionLabel,
    PanelDeviceLabel,
    PanelDisplayLine1,
    PanelDisplayLine2,
};

// Name of a control as used for its objectName.
const char* controlName(Control c);

// How the link and the reply interpreter reach the windows. Nothing behind this
// interface may run a nested event loop: messages are queued and shown after the
// handler that raised them has returned.
class InstrumentView {
public:
    virtual ~InstrumentView() = default;

    // Generic access to named controls.
    virtual void setText(Control c, const QString& text) = 0;
    virtual QString text(Control c) const = 0;
    virtual void setVisible(Control c, bool visible) = 0;
    virtual void setEnabled(Control c, bool enabled) = 0;

    // Check boxes. Changing the state runs the box's change handler.
    virtual void setChecked(Control, bool) {}
    virtual bool isChecked(Control) const { return false; }
    // Drop-down lists and radio groups: the selected item, -1 for none; selecting
    // an item that does not exist selects none. A radio group runs its change
    // handler on a real change, a drop-down list runs none.
    virtual void setCurrentIndex(Control, int) {}
    virtual int currentIndex(Control) const { return -1; }
    // Whether the control itself is set to be shown (its page may be hidden).
    virtual bool isShown(Control) const { return false; }
    // Items of a list box, lines of a text box (a text ending in a line break
    // has no empty last line). setItem changes an existing item only.
    virtual int itemCount(Control) const { return 0; }
    virtual QString item(Control, int) const { return QString(); }
    virtual void setItem(Control, int, const QString&) {}
    virtual void addItem(Control, const QString&) {}
    virtual void clearItems(Control) {}

    // Configuration page: shows the analog-output range list of a units code
    // (ShowAnalogRangeBox).
    virtual void showAnalogRangeBox(int) {}
    // Instrument panel: the background colour of its display.
    virtual void setPanelDisplayColour(int /*red*/, int /*green*/, int /*blue*/) {}

    // Data text page
    virtual void clearDataText() = 0;     // empty RichEdit1
    virtual void showDataTextPage() = 0;  // ViewTextExecute
    // End of a download: the captured text replaces the page's text (Latin-1 bytes).
    virtual void setDataText(const QByteArray& text) = 0;
    virtual void setDataStatus(int panel, const QString& text) = 0;  // StatusBar1
    // The records a running download has still to send, in the status bar; set
    // for every record, so a view without a status bar leaves it undone.
    virtual void setRecordsLeft(int records) { setDataStatus(1, QString::number(records)); }
    virtual void startDownloadProgress(int maximum) = 0;  // ProgressBar1: max, pos 0, shown
    // After each captured line, which is given (with its line feed).
    virtual void stepDownloadProgress(QByteArrayView line) = 0;
    virtual void hideDownloadProgress() = 0;

    // End of the data-memory re-format reported by the instrument: stop the
    // busy animation, hide ProgressBar2 and set its position to 100.
    virtual void endReformatAnimation() = 0;
    // The instrument refused the re-format (V 160 OFF).
    virtual void reformatRefused() {}

    // A plain message box, shown once the current handler has returned.
    virtual void postMessage(const QString& text) = 0;
};

}  // namespace nesmo
