#include "shell/window_view.h"

#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include "config/config_page.h"
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
        case Control::LabelSN: return config_->LabelSN();
        case Control::LabelVer: return config_->LabelVer();
        case Control::Alarm128: return config_->Alarm128();
        case Control::StelAlarmLevelEdit: return config_->StelAlarmLevelEdit();
        case Control::AutoStartYear: return config_->AutoStartYear();
        case Control::PanelSerialLabel:
        case Control::PanelVersionLabel:
        case Control::PanelDeviceLabel:
        case Control::PanelDisplayLine1:
        case Control::PanelDisplayLine2:
            return panel_->findChild<QWidget*>(QString::fromLatin1(controlName(c)));
    }
    return nullptr;
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
    dataText_->RichEdit1()->setPlainText(QString::fromLatin1(text));
}

void WindowView::setDataStatus(int panel, const QString& text)
{
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

void WindowView::stepDownloadProgress()
{
    pendingProgress_ = ++progressValue_;
    scheduleFlush();
}

void WindowView::hideDownloadProgress()
{
    flushUpdates();
    dataText_->ProgressBar1()->hide();
}

void WindowView::endReformatAnimation()
{
    QProgressBar* bar = mainPage_->ProgressBar2();
    bar->hide();
    bar->setValue(100);
}

void WindowView::scheduleFlush()
{
    if (flushScheduled_) return;
    flushScheduled_ = true;
    QTimer::singleShot(0, this, &WindowView::flushUpdates);
}

void WindowView::flushUpdates()
{
    flushScheduled_ = false;
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
    messagesScheduled_ = false;
    while (!messages_.isEmpty())
        dialogs_.message(messages_.takeFirst());
}

}  // namespace nesmo
