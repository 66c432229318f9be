#pragma once

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

#include "core/app_state.h"
#include "core/dialogs.h"
#include "link/link.h"
#include "logged_data/terminal_view.h"

namespace nesmo {

// The "Data text" page: the logged data as text, the terminal view with its
// buttons, the download's status bar and progress bar.
class DataTextPage final : public QWidget {
    Q_OBJECT

public:
    DataTextPage(AppState& state, Link& link, Dialogs& dialogs, QWidget* parent = nullptr);

    QPlainTextEdit* RichEdit1() const { return richEdit_; }
    TerminalView* ApdTerminal1() const { return terminal_; }
    QStatusBar* StatusBar1() const { return statusBar_; }
    QProgressBar* ProgressBar1() const { return progress_; }
    QWidget* TagSelectPanel() const { return tagSelectPanel_; }
    QListWidget* TagListBox() const { return tagListBox_; }

    // StatusBar1 has two panels: 0 the file name, 1 the records still to come.
    void setStatusPanel(int panel, const QString& text);
    QString statusPanel(int panel) const;

    void setCaptureFileName(const QString& name) { captureFileName_ = name; }
    QString captureFileName() const { return captureFileName_; }

    bool terminalShown() const { return !terminal_->isHidden(); }
    void setTerminalShown(bool shown);

    void TerminalVisibleToolButtonClick();
    void TerminalCaptureToolButtonClick();
    void Tab2Show();

signals:
    // The terminal view was shown or hidden (the "Com terminal" check mark follows).
    void terminalShownChanged(bool shown);
    // The terminal view is about to be shown by the operator: bring this page forward.
    void pageWanted();

private:
    AppState& state_;
    Link& link_;
    Dialogs& dialogs_;
    QToolBar* toolBar_ = nullptr;
    QToolButton* terminalVisibleButton_ = nullptr;
    QToolButton* terminalCaptureButton_ = nullptr;
    QWidget* tagSelectPanel_ = nullptr;
    QListWidget* tagListBox_ = nullptr;
    QPlainTextEdit* richEdit_ = nullptr;
    TerminalView* terminal_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QLabel* panels_[2] = {};
    QString captureFileName_ = QStringLiteral("APD.CAP");
};

}  // namespace nesmo
