#include "shell/window_view.h"

#include <limits>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

#include "config/config_page.h"
#include "config/radio_group.h"
#include "logged_data/data_text_page.h"
#include "panel/panel_window.h"
#include "shell/main_page.h"
#include "shell/main_window.h"

namespace nesmo {

WindowView::WindowView(Dialogs& dialogs, QObject* parent) : QObject(parent), dialogs_(dialogs) {}

void WindowView::attach(MainWindow* window, MainPage* mainPage, DataTextPage* dataText,
                        ConfigPage* config, PanelWindow* panel)
{
    window_ = window;
    mainPage_ = mainPage;
    dataText_ = dataText;
    config_ = config;
    panel_ = panel;
}

QWidget* WindowView::widget(Control c) const
{
    switch (c) {
        case Control::StatusBarMain: return mainPage_->StatusBarMainText();
        case Control::PanelSerialLabel:
        case Control::PanelVersionLabel:
        case Control::PanelDeviceLabel:
        case Control::PanelDisplayLine1:
        case Control::PanelDisplayLine2:
            return panel_->findChild<QWidget*>(QString::fromLatin1(controlName(c)));
        default: return named(c);
    }
    return nullptr;
}

QWidget* WindowView::named(Control c) const
{
    QPointer<QWidget>& w = named_[static_cast<int>(c)];
    if (!w && window_) w = window_->findChild<QWidget*>(QString::fromLatin1(controlName(c)));
    return w;
}

void WindowView::setChecked(Control c, bool checked)
{
    if (auto* box = qobject_cast<QAbstractButton*>(widget(c))) box->setChecked(checked);
}

bool WindowView::isChecked(Control c) const
{
    auto* box = qobject_cast<QAbstractButton*>(widget(c));
    return box && box->isChecked();
}

void WindowView::setCurrentIndex(Control c, int index)
{
    QWidget* w = widget(c);
    if (auto* combo = qobject_cast<QComboBox*>(w))
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    else if (auto* group = qobject_cast<RadioGroup*>(w))
        group->setItemIndex(index);
}

int WindowView::currentIndex(Control c) const
{
    QWidget* w = widget(c);
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentIndex();
    if (auto* group = qobject_cast<RadioGroup*>(w)) return group->itemIndex();
    return -1;
}

bool WindowView::isShown(Control c) const
{
    QWidget* w = widget(c);
    return w && !w->isHidden();
}

namespace {

// The lines of a text box, one per text block (the same blocks setItem rewrites); a
// text that ends in a line break has no empty last line.
QStringList linesOf(const QPlainTextEdit* edit)
{
    QStringList lines;
    for (QTextBlock b = edit->document()->begin(); b.isValid(); b = b.next())
        lines << b.text();
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

}  // namespace

int WindowView::itemCount(Control c) const
{
    QWidget* w = widget(c);
    if (auto* list = qobject_cast<QListWidget*>(w)) return list->count();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) return int(linesOf(edit).size());
    return 0;
}

QString WindowView::item(Control c, int index) const
{
    QWidget* w = widget(c);
    if (auto* list = qobject_cast<QListWidget*>(w))
        return index >= 0 && index < list->count() ? list->item(index)->text() : QString();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) return linesOf(edit).value(index);
    return QString();
}

void WindowView::setItem(Control c, int index, const QString& text)
{
    QWidget* w = widget(c);
    if (auto* list = qobject_cast<QListWidget*>(w)) {
        if (index >= 0 && index < list->count()) list->item(index)->setText(text);
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) {
        if (index < 0 || index >= int(linesOf(edit).size())) return;
        // Only that line changes; the rest of the text and its undo history stay.
        QTextCursor cursor(edit->document()->findBlockByNumber(index));
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.insertText(text);
    }
}

void WindowView::addItem(Control c, const QString& text)
{
    if (auto* list = qobject_cast<QListWidget*>(widget(c))) list->addItem(text);
}

void WindowView::clearItems(Control c)
{
    QWidget* w = widget(c);
    if (auto* list = qobject_cast<QListWidget*>(w)) list->clear();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) edit->clear();
}

void WindowView::showAnalogRangeBox(int units)
{
    config_->ShowAnalogRangeBox(units);
}

void WindowView::setPanelDisplayColour(int red, int green, int blue)
{
    panel_->setDisplayBackground(QColor(red, green, blue));
}

void WindowView::setText(Control c, const QString& text)
{
    switch (c) {
        case Control::PanelSerialLabel: panel_->setSerialText(text); return;
        case Control::PanelVersionLabel: panel_->setVersionText(text); return;
        case Control::PanelDeviceLabel: panel_->setDeviceText(text); return;
        case Control::PanelDisplayLine1: panel_->setDisplayLine(0, text); return;
        case Control::PanelDisplayLine2: panel_->setDisplayLine(1, text); return;
        default: break;
    }
    QWidget* w = widget(c);
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(text);
}

QString WindowView::text(Control c) const
{
    switch (c) {
        case Control::PanelSerialLabel: return panel_->serialText();
        case Control::PanelVersionLabel: return panel_->versionText();
        case Control::PanelDeviceLabel: return panel_->deviceText();
        case Control::PanelDisplayLine1: return panel_->displayLine(0);
        case Control::PanelDisplayLine2: return panel_->displayLine(1);
        default: break;
    }
    QWidget* w = widget(c);
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
    return QString();
}

void WindowView::setVisible(Control c, bool visible)
{
    if (c == Control::PanelSerialLabel) {
        panel_->setSerialVisible(visible);
        return;
    }
    if (QWidget* w = widget(c)) w->setVisible(visible);
}

void WindowView::setEnabled(Control c, bool enabled)
{
    if (QWidget* w = widget(c)) w->setEnabled(enabled);
}

void WindowView::clearDataText()
{
    dataText_->RichEdit1()->clear();
}

void WindowView::showDataTextPage()
{
    window_->ViewTextExecute();
}

void WindowView::setDataText(const QByteArray& text)
{
    if (dataText_->setTextBytes(text)) return;
    // Far more than any tag: the capture file keeps it all, the page shows none of it.
    postMessage(QStringLiteral("The download holds %1 MB, more than the %2 MB that the Data text "
                               "page takes. It is kept whole in the capture file scratch.txt.")
                    .arg(text.size() / (1024.0 * 1024.0), 0, 'f', 1)
                    .arg(DataTextPage::kTextLimit / (1024 * 1024)));
}

void WindowView::setRecordsLeft(int records)
{
    pendingStatus_[1].reset();
    pendingRecordsLeft_ = records;
    scheduleFlush();
}

void WindowView::setDataStatus(int panel, const QString& text)
{
    if (panel == 1) pendingRecordsLeft_.reset();
    if (panel < 0 || panel > 1) return;
    pendingStatus_[panel] = text;
    scheduleFlush();
}

void WindowView::startDownloadProgress(int maximum)
{
    QProgressBar* bar = dataText_->ProgressBar1();
    bar->setRange(0, qMax(0, maximum));
    bar->setValue(0);
    bar->show();
    progressValue_ = 0;
    pendingProgress_.reset();
}

void WindowView::stepDownloadProgress(QByteArrayView)
{
    // Lines past the announced count (a flooding device) do not wrap the count.
    if (progressValue_ < std::numeric_limits<int>::max()) ++progressValue_;
    pendingProgress_ = progressValue_;
    scheduleFlush();
}

void WindowView::hideDownloadProgress()
{
    flushUpdates();
    dataText_->ProgressBar1()->hide();
}

void WindowView::endReformatAnimation()
{
    mainPage_->progress().endReformat();
}

void WindowView::reformatRefused()
{
    // Only a re-format the program waits for ends here; a stray reply is no news.
    if (mainPage_->progress().refuseReformat())
        postMessage(
            QStringLiteral("The instrument refused to re-format its data memory (it answered "
                           "V 160 OFF).\rMemory was not erased."));
}

void WindowView::scheduleFlush()
{
    if (flushScheduled_) return;
    flushScheduled_ = true;
    // The progress bar repaints itself at once when its value changes: during a
    // fast download that is a paint for every block received. Twenty a second
    // is smooth to the eye and costs the download nothing.
    const qint64 since = lastFlush_.isValid() ? lastFlush_.elapsed() : kFlushIntervalMs;
    QTimer::singleShot(int(qMax<qint64>(0, kFlushIntervalMs - since)), this,
                       &WindowView::flushUpdates);
}

void WindowView::flushUpdates()
{
    flushScheduled_ = false;
    lastFlush_.start();
    if (pendingRecordsLeft_) {
        pendingStatus_[1] = QString::number(*pendingRecordsLeft_);
        pendingRecordsLeft_.reset();
    }
    for (int i = 0; i < 2; ++i) {
        if (pendingStatus_[i]) {
            dataText_->setStatusPanel(i, *pendingStatus_[i]);
            pendingStatus_[i].reset();
        }
    }
    if (pendingProgress_) {
        QProgressBar* bar = dataText_->ProgressBar1();
        bar->setValue(qMin(*pendingProgress_, bar->maximum()));
        pendingProgress_.reset();
    }
}

void WindowView::postMessage(const QString& text)
{
    messages_.append(text);
    if (messagesScheduled_) return;
    messagesScheduled_ = true;
    QTimer::singleShot(0, this, &WindowView::showPendingMessages);
}

void WindowView::showPendingMessages()
{
    // One box at a time: a message posted while a box is open waits for it to
    // close, and this loop shows it next.
    while (!messages_.isEmpty())
        dialogs_.message(messages_.takeFirst());
    messagesScheduled_ = false;
}

}  // namespace nesmo
