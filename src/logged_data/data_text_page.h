#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

#include "core/app_state.h"
#include "core/dialogs.h"
#include "link/link.h"
#include "logged_data/terminal_view.h"

namespace nesmo {

// The "Data text" page: the logged data as editable text, the tag selection
// panel over it, the terminal view with its buttons, the download's status bar
// and progress bar. The file commands and the tag directory act on it.
class DataTextPage final : public QWidget {
    Q_OBJECT

public:
    DataTextPage(AppState& state, Link& link, Dialogs& dialogs, QWidget* parent = nullptr);

    QPlainTextEdit* RichEdit1() const { return richEdit_; }
    TerminalView* ApdTerminal1() const { return terminal_; }
    QStatusBar* StatusBar1() const { return statusBar_; }
    QProgressBar* ProgressBar1() const { return progress_; }
    QFrame* TagSelectPanel() const { return tagSelectPanel_; }
    QListWidget* TagListBox() const { return tagListBox_; }
    QPushButton* TagLoadBitButton() const { return tagLoadButton_; }
    QPushButton* TagDeleteBitButton() const { return tagDeleteButton_; }
    QCheckBox* CheckBoxAllData() const { return checkBoxAllData_; }
    QPushButton* CancelData() const { return cancelData_; }
    QToolBar* ToolBar3() const { return toolBar_; }
    // A tool button of ToolBar3 by its name (FileNewToolButton, ...).
    QToolButton* toolButton(const char* objectName) const;

    // StatusBar1 has two panels: 0 the file name, 1 the records still to come.
    void setStatusPanel(int panel, const QString& text);
    QString statusPanel(int panel) const;

    // The whole text, every character as it stands (lines end in LF).
    QString pageText() const;
    // The same as the 8-bit text of a data file.
    QByteArray textBytes() const { return pageText().toLatin1(); }
    // Replaces the text with a data file's bytes (lines end in CR LF, LF or CR).
    // Returns false, changing nothing, when the text is more than the page holds.
    bool setTextBytes(const QByteArray& bytes);
    // The most text the page takes: three times the largest tag (65,535 records,
    // a little over 4 MB), so that no tag is ever cut, while a file opened by
    // mistake cannot tie up the program and its memory.
    static constexpr qsizetype kTextLimit = 16 * 1024 * 1024;

    void setCaptureFileName(const QString& name) { captureFileName_ = name; }
    QString captureFileName() const { return captureFileName_; }

    bool terminalShown() const { return !terminal_->isHidden(); }
    void setTerminalShown(bool shown);

    void showTagSelectPanel();

    void TerminalVisibleToolButtonClick();
    void TerminalCaptureToolButtonClick();
    void Tab2Show();
    void RichEdit1Enter();

signals:
    // The terminal view was shown or hidden (the "Com terminal" check mark follows).
    void terminalShownChanged(bool shown);
    // The terminal view is about to be shown by the operator: bring this page forward.
    void pageWanted();
    // Enter, Esc, Delete or a double click in TagListBox (the key, or 0 for a
    // double click).
    void tagListKey(int key);
    void tagLoadClicked();
    void tagCancelClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildTagSelectPanel();
    void placeTagSelectPanel();

    AppState& state_;
    Link& link_;
    Dialogs& dialogs_;
    QToolBar* toolBar_ = nullptr;
    QToolButton* terminalVisibleButton_ = nullptr;
    QToolButton* terminalCaptureButton_ = nullptr;
    QFrame* tagSelectPanel_ = nullptr;
    QListWidget* tagListBox_ = nullptr;
    QPushButton* tagLoadButton_ = nullptr;
    QPushButton* tagDeleteButton_ = nullptr;
    QCheckBox* checkBoxAllData_ = nullptr;
    QPushButton* cancelData_ = nullptr;
    QPlainTextEdit* richEdit_ = nullptr;
    TerminalView* terminal_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QLabel* panels_[2] = {};
    QString captureFileName_ = QStringLiteral("APD.CAP");
};

// The text a data file's bytes make in the page: Latin-1, lines split at CR LF,
// LF or CR. Every kLinesPerBlock-th line ends with LF, the others with a line
// separator (U+2028): the text view takes a block far longer to build than a
// line within one (a 65,535-line tag: 130 ms against 9 ms in blocks of 16),
// and the lines show, scroll, copy, print and read back (pageText()) the same.
inline constexpr int kLinesPerBlock = 16;
QString dataTextFromBytes(const QByteArray& bytes);

}  // namespace nesmo
