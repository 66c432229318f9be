#include "logged_data/data_text_page.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QStyle>
#include <QVBoxLayout>

#include "widgets/control_names.h"
#include "widgets/run_guarded.h"
#include "widgets/tool_icons.h"

namespace nesmo {

QString dataTextFromBytes(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    const char* p = bytes.constData();
    const char* const end = p + bytes.size();
    int line = 0;
    while (p < end) {
        const char c = *p++;
        if (c != '\r' && c != '\n') {
            *out++ = QLatin1Char(c);
            continue;
        }
        if (c == '\r' && p < end && *p == '\n') ++p;
        *out++ = ++line % kLinesPerBlock == 0 ? QChar(u'\n') : QChar(QChar::LineSeparator);
    }
    text.truncate(out - text.constData());
    return text;
}

DataTextPage::DataTextPage(AppState& state, Link& link, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), state_(state), link_(link), dialogs_(dialogs)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    toolBar_ = nameField(new QToolBar, "ToolBar3", QStringLiteral("Data text tools"));
    toolBar_->setIconSize(QSize(20, 20));
    addToolButton(toolBar_, "FileNewToolButton", QStringLiteral("Get new data from Nesmo-7"),
                  toolIcon(ToolIcon::Download));
    addToolButton(toolBar_, "FileOpenToolButton", QStringLiteral("Open a data file saved to disk"),
                  toolIcon(ToolIcon::Open));
    addToolButton(toolBar_, "FileSaveToolButton", QStringLiteral("Save data file to disk"),
                  toolIcon(ToolIcon::Save));
    addToolButton(toolBar_, "FilePrintToolButton", QStringLiteral("Print the tag data"),
                  toolIcon(ToolIcon::Print));
    toolBar_->addSeparator();
    addToolButton(toolBar_, "EditCopyToolButton", QStringLiteral("Copy selection to Clipboard"),
                  toolIcon(ToolIcon::Copy));
    toolBar_->addSeparator();
    addToolButton(toolBar_, "TextFontToolButton", QStringLiteral("Change the text font properties"),
                  toolIcon(ToolIcon::Font));
    addToolButton(toolBar_, "TextSizeToolButton", QStringLiteral("Increse the text font size"),
                  toolIcon(ToolIcon::FontSize));
    toolBar_->addSeparator();
    terminalVisibleButton_ = addToolButton(toolBar_, "TerminalVisibleToolButton",
                                           QStringLiteral("Show / Hide Terminal window"),
                                           style()->standardIcon(QStyle::SP_ComputerIcon));
    terminalCaptureButton_ = addToolButton(toolBar_, "TerminalCaptureToolButton",
                                           QStringLiteral("Capture terminal text to file: APD.CAP"),
                                           style()->standardIcon(QStyle::SP_DialogSaveButton));
    terminalCaptureButton_->setAccessibleName(QStringLiteral("Capture terminal text to file"));
    toolBar_->addSeparator();
    addToolButton(toolBar_, "ToolButton9", QStringLiteral("Help Contents"),
                  toolIcon(ToolIcon::Help));
    layout->addWidget(toolBar_);

    richEdit_ = nameField(new QPlainTextEdit, "RichEdit1", QStringLiteral("Logged data text"));
    QFont mono(QStringLiteral("Courier New"), 10);
    mono.setStyleHint(QFont::TypeWriter);
    richEdit_->setFont(mono);
    richEdit_->setLineWrapMode(QPlainTextEdit::NoWrap);
    richEdit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    richEdit_->installEventFilter(this);
    layout->addWidget(richEdit_, 1);

    terminal_ = nameField(new TerminalView(link_.terminal()), "ApdTerminal1",
                          QStringLiteral("Communication terminal"));
    terminal_->setToolTip(QStringLiteral("comm terminal"));
    terminal_->hide();
    layout->addWidget(terminal_);
    connect(&link_, &Link::terminalChanged, terminal_, &TerminalView::bufferChanged);

    progress_ = nameField(new QProgressBar, "ProgressBar1", QStringLiteral("Download progress"));
    progress_->hide();
    layout->addWidget(progress_);

    statusBar_ = nameField(new QStatusBar, "StatusBar1", QStringLiteral("Data text status"));
    statusBar_->setSizeGripEnabled(false);
    for (int i = 0; i < 2; ++i) {
        panels_[i] = new QLabel;
        panels_[i]->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        panels_[i]->setMinimumWidth(i == 0 ? 220 : 50);
        statusBar_->addWidget(panels_[i], i == 0 ? 0 : 1);
    }
    panels_[0]->setText(QStringLiteral("No file loaded"));
    layout->addWidget(statusBar_);

    buildTagSelectPanel();

    connect(terminalVisibleButton_, &QToolButton::clicked, this,
            [this] { runGuarded(dialogs_, [this] { TerminalVisibleToolButtonClick(); }); });
    connect(terminalCaptureButton_, &QToolButton::clicked, this,
            [this] { runGuarded(dialogs_, [this] { TerminalCaptureToolButtonClick(); }); });
}

QToolButton* DataTextPage::toolButton(const char* objectName) const
{
    return findToolButton(toolBar_, objectName);
}

void DataTextPage::buildTagSelectPanel()
{
    // A bordered panel that lies over the text area; the rest of the page stays usable.
    tagSelectPanel_ =
        nameField(new QFrame(this), "TagSelectPanel", QStringLiteral("Tag selection"));
    tagSelectPanel_->setFrameShape(QFrame::Panel);
    tagSelectPanel_->setFrameShadow(QFrame::Raised);
    tagSelectPanel_->setLineWidth(2);
    tagSelectPanel_->setAutoFillBackground(true);
    tagSelectPanel_->setToolTip(QStringLiteral("Double click to load tag"));
    auto* panelLayout = new QVBoxLayout(tagSelectPanel_);
    panelLayout->setContentsMargins(8, 8, 8, 8);
    auto* label = new QLabel(QStringLiteral("Select a Tag number:"));
    label->setObjectName(QStringLiteral("TagSelectLabel"));
    panelLayout->addWidget(label);

    tagListBox_ = nameField(new QListWidget, "TagListBox", QStringLiteral("Logged tags"));
    QFont tagFont(QStringLiteral("Courier New"));
    tagFont.setPixelSize(13);
    tagFont.setStyleHint(QFont::TypeWriter);
    tagListBox_->setFont(tagFont);
    tagListBox_->setToolTip(QStringLiteral("Double click to load tag"));
    tagListBox_->installEventFilter(this);
    label->setBuddy(tagListBox_);
    panelLayout->addWidget(tagListBox_, 1);

    tagLoadButton_ = nameControl(new QPushButton(QStringLiteral("&Load")), "TagLoadBitButton");
    tagLoadButton_->setToolTip(QStringLiteral("Load tag from Nesmo-7"));
    tagDeleteButton_ =
        nameControl(new QPushButton(QStringLiteral("&Delete")), "TagDeleteBitButton");
    tagDeleteButton_->setToolTip(QStringLiteral("Delete tag in Nesmo-7"));
    cancelData_ = nameControl(new QPushButton(QStringLiteral("&Cancel")), "CancelData");
    cancelData_->setToolTip(QStringLiteral("Close without loading a tag"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(tagLoadButton_);
    buttons->addWidget(tagDeleteButton_);
    buttons->addWidget(cancelData_);
    panelLayout->addLayout(buttons);
    checkBoxAllData_ =
        nameControl(new QCheckBox(QStringLiteral("Delete all data")), "CheckBoxAllData");
    panelLayout->addWidget(checkBoxAllData_);
    tagSelectPanel_->hide();

    connect(tagListBox_, &QListWidget::itemDoubleClicked, this, [this] { emit tagListKey(0); });
    connect(tagLoadButton_, &QPushButton::clicked, this, &DataTextPage::tagLoadClicked);
    connect(cancelData_, &QPushButton::clicked, this, &DataTextPage::tagCancelClicked);
}

void DataTextPage::placeTagSelectPanel()
{
    const QRect area = richEdit_->geometry();
    const QSize wanted = tagSelectPanel_->sizeHint().expandedTo(QSize(260, 280));
    const int height = qMax(120, qMin(wanted.height(), area.height() - 16));
    tagSelectPanel_->setGeometry(area.left() + 12, area.top() + 8,
                                 qMin(wanted.width(), qMax(160, area.width() - 24)), height);
}

void DataTextPage::showTagSelectPanel()
{
    placeTagSelectPanel();
    tagSelectPanel_->show();
    tagSelectPanel_->raise();
}

void DataTextPage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (tagSelectPanel_->isVisible()) placeTagSelectPanel();
}

bool DataTextPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == richEdit_ && event->type() == QEvent::FocusIn) {
        // The focus can arrive while a download brings this page forward, inside the
        // receive path: the hint's message box waits until that work has returned.
        QMetaObject::invokeMethod(
            this, [this] { runGuarded(dialogs_, [this] { RichEdit1Enter(); }); },
            Qt::QueuedConnection);
    } else if (watched == richEdit_ && event->type() == QEvent::ShortcutOverride &&
               static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) &&
               !richEdit_->textCursor().hasSelection()) {
        // With nothing selected Ctrl+C is not the text area's own copy (which would
        // copy nothing) but the window's Copy, which takes the whole text.
        event->ignore();
        return true;
    } else if (watched == tagListBox_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape ||
            key == Qt::Key_Delete) {
            emit tagListKey(key);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DataTextPage::setStatusPanel(int panel, const QString& text)
{
    if (panel >= 0 && panel < 2) panels_[panel]->setText(text);
}

QString DataTextPage::statusPanel(int panel) const
{
    return (panel >= 0 && panel < 2) ? panels_[panel]->text() : QString();
}

QString DataTextPage::pageText() const
{
    // toPlainText() would turn a no-break space (0xA0) into a blank.
    QString text = richEdit_->document()->toRawText();
    // Enter ends a paragraph and Shift+Enter a line: both are line ends in the file.
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

bool DataTextPage::setTextBytes(const QByteArray& bytes)
{
    if (bytes.size() > kTextLimit) return false;
    richEdit_->setPlainText(dataTextFromBytes(bytes));
    return true;
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

void DataTextPage::RichEdit1Enter()
{
    if (!state_.NotesHintPending) return;
    state_.NotesHintPending = false;
    dialogs_.message(
        QStringLiteral("If you add notes to the file, make sure they are before the data block"));
}

}  // namespace nesmo
