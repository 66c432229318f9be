#include "logged_data/data_text_page.h"

#include <QStyle>
#include <QVBoxLayout>

#include "shell/accessible.h"
#include "shell/application.h"

namespace nesmo {

DataTextPage::DataTextPage(AppState& state, Link& link, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), state_(state), link_(link), dialogs_(dialogs)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    toolBar_ = name(new QToolBar, "ToolBar3", QStringLiteral("Data text tools"));
    toolBar_->setIconSize(QSize(20, 20));
    terminalVisibleButton_ = name(new QToolButton, "TerminalVisibleToolButton",
                                  QStringLiteral("Show / Hide Terminal window"));
    terminalVisibleButton_->setToolTip(QStringLiteral("Show / Hide Terminal window"));
    terminalVisibleButton_->setIcon(style()->standardIcon(QStyle::SP_ComputerIcon));
    terminalCaptureButton_ = name(new QToolButton, "TerminalCaptureToolButton",
                                  QStringLiteral("Capture terminal text to file"));
    terminalCaptureButton_->setToolTip(QStringLiteral("Capture terminal text to file: APD.CAP"));
    terminalCaptureButton_->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    toolBar_->addWidget(terminalVisibleButton_);
    toolBar_->addWidget(terminalCaptureButton_);
    layout->addWidget(toolBar_);

    // The tag selection panel is filled by the tag directory.
    tagSelectPanel_ = name(new QWidget, "TagSelectPanel", QStringLiteral("Tag selection"));
    tagSelectPanel_->hide();
    auto* tagLayout = new QVBoxLayout(tagSelectPanel_);
    tagLayout->setContentsMargins(0, 0, 0, 0);
    tagListBox_ = name(new QListWidget, "TagListBox", QStringLiteral("Logged tags"));
    QFont tagFont(QStringLiteral("Courier New"), 10);
    tagFont.setStyleHint(QFont::TypeWriter);
    tagListBox_->setFont(tagFont);
    tagListBox_->setToolTip(QStringLiteral("Double click to load tag"));
    tagLayout->addWidget(tagListBox_);
    layout->addWidget(tagSelectPanel_);

    richEdit_ = name(new QPlainTextEdit, "RichEdit1", QStringLiteral("Logged data text"));
    QFont mono(QStringLiteral("Courier New"), 10);
    mono.setStyleHint(QFont::TypeWriter);
    richEdit_->setFont(mono);
    richEdit_->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(richEdit_, 1);

    terminal_ = name(new TerminalView(link_.terminal()), "ApdTerminal1",
                     QStringLiteral("Communication terminal"));
    terminal_->setToolTip(QStringLiteral("comm terminal"));
    terminal_->hide();
    layout->addWidget(terminal_);
    connect(&link_, &Link::terminalChanged, terminal_, &TerminalView::bufferChanged);

    progress_ = name(new QProgressBar, "ProgressBar1", QStringLiteral("Download progress"));
    progress_->hide();
    layout->addWidget(progress_);

    statusBar_ = name(new QStatusBar, "StatusBar1", QStringLiteral("Data text status"));
    statusBar_->setSizeGripEnabled(false);
    for (int i = 0; i < 2; ++i) {
        panels_[i] = new QLabel;
        panels_[i]->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        panels_[i]->setAccessibleName(i == 0 ? QStringLiteral("Data file name")
                                             : QStringLiteral("Records to come"));
        panels_[i]->setMinimumWidth(i == 0 ? 220 : 80);
        statusBar_->addWidget(panels_[i], i == 0 ? 0 : 1);
    }
    layout->addWidget(statusBar_);

    connect(terminalVisibleButton_, &QToolButton::clicked, this,
            [this] { runGuarded(dialogs_, [this] { TerminalVisibleToolButtonClick(); }); });
    connect(terminalCaptureButton_, &QToolButton::clicked, this,
            [this] { runGuarded(dialogs_, [this] { TerminalCaptureToolButtonClick(); }); });
}

void DataTextPage::setStatusPanel(int panel, const QString& text)
{
    if (panel >= 0 && panel < 2) panels_[panel]->setText(text);
}

QString DataTextPage::statusPanel(int panel) const
{
    return (panel >= 0 && panel < 2) ? panels_[panel]->text() : QString();
}

void DataTextPage::setTerminalShown(bool shown)
{
    if (shown == terminalShown()) return;
    terminal_->setVisible(shown);
    if (shown) terminal_->bufferChanged();
    emit terminalShownChanged(shown);
}

void DataTextPage::TerminalVisibleToolButtonClick()
{
    const bool show = !terminalShown();
    // The page comes forward first: showing it hides the terminal view.
    if (show) emit pageWanted();
    setTerminalShown(show);
    // Shown by the operator: no longer hidden on the download's behalf.
    if (terminalShown()) state_.TerminalHiddenByDownload = false;
}

void DataTextPage::TerminalCaptureToolButtonClick()
{
    TerminalBuffer& buffer = link_.terminal();
    if (buffer.capturing()) {
        buffer.stopCapture();
        if (!buffer.captureError().isEmpty())
            dialogs_.message(QStringLiteral("The terminal capture file %1 could not be written: %2")
                                 .arg(captureFileName_, buffer.captureError()));
    } else {
        QString error;
        if (!buffer.startCapture(captureFileName_, &error)) {
            dialogs_.message(QStringLiteral("The terminal capture file %1 could not be created: %2")
                                 .arg(captureFileName_, error));
        }
    }
    terminalCaptureButton_->setIcon(style()->standardIcon(
        buffer.capturing() ? QStyle::SP_MediaStop : QStyle::SP_DialogSaveButton));
    terminalCaptureButton_->setChecked(buffer.capturing());
}

void DataTextPage::Tab2Show()
{
    if (link_.linkOpen()) terminal_->setVisibleRows(10);
    setTerminalShown(false);
}

}  // namespace nesmo
