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

    // Data text page
    virtual void clearDataText() = 0;     // empty RichEdit1
    virtual void showDataTextPage() = 0;  // ViewTextExecute
    // End of a download: the captured text replaces the page's text (Latin-1 bytes).
    virtual void setDataText(const QByteArray& text) = 0;
    virtual void setDataStatus(int panel, const QString& text) = 0;  // StatusBar1
    virtual void startDownloadProgress(int maximum) = 0;  // ProgressBar1: max, pos 0, shown
    virtual void stepDownloadProgress() = 0;
    virtual void hideDownloadProgress() = 0;

    // End of the data-memory re-format reported by the instrument: stop the
    // busy animation, hide ProgressBar2 and set its position to 100.
    virtual void endReformatAnimation() = 0;

    // A plain message box, shown once the current handler has returned.
    virtual void postMessage(const QString& text) = 0;
};

}  // namespace nesmo
