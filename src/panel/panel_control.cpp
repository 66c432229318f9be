#include "panel/panel_control.h"

#include <QScopedValueRollback>
#include <QSignalBlocker>

#include "link/commands.h"
#include "link/link.h"
#include "panel/panel_window.h"

namespace nesmo {

PanelControl::PanelControl(AppState& state, Link& link, PanelWindow& panel, QPushButton* showButton,
                           QAction* menuItem, PanelHooks hooks, QObject* parent)
    : QObject(parent),
      state_(state),
      link_(link),
      panel_(panel),
      showButton_(showButton),
      menuItem_(menuItem),
      hooks_(std::move(hooks))
{
    connect(&panel_, &PanelWindow::keyPressed, this, &PanelControl::pressKey);
    // Queued: the exchange that has just ended may be one of a sequence whose
    // next command follows at once.
    connect(&link_, &Link::exchangeEnded, this, &PanelControl::sendWaitingKeys,
            Qt::QueuedConnection);
    connect(&panel_, &PanelWindow::closedByOperator, this, [this] { setShown(false); });
    link_.setPanelVisible([this] { return panel_.isVisible(); });
}

void PanelControl::setShown(bool shown)
{
    shown_ = shown;
    showButton_->setText(shown ? QStringLiteral("Hide instrument panel")
                               : QStringLiteral("Show instrument panel"));
    // A checkable menu item has already flipped itself when its handler runs: its
    // check always follows the state kept here.
    const QSignalBlocker quiet(menuItem_);
    menuItem_->setChecked(shown);
    if (shown) {
        panel_.show();
        panel_.raise();
    } else {
        panel_.hide();
    }
}

void PanelControl::ViewInstControlPanelClick()
{
    toggle(true);
}

void PanelControl::toggle(bool mayConnect)
{
    if (state_.FirmwareUpgradeActive || link_.operations().busy()) {
        // Nothing else talks to the instrument during a long operation: its
        // commands would go out inside the operation's waits.
        setShown(shown_);
        return;
    }
    link_.showInTerminal(QByteArray(cmd::kDisplayRefresh));
    if (mayConnect && hooks_.portNumber() == 0) {
        state_.NotesHintPending = false;
        hooks_.connect();
    }
    link_.SendCommand(QByteArray(cmd::kBacklight));
    link_.SendCommand(QByteArray(cmd::kDisplayPoll));
    link_.SendCommand(QByteArray(cmd::kDisplayRefreshBlank));
    if (shown_) {
        setShown(false);
        return;
    }
    setShown(true);
    ViewInstPanelExecute();
}

void PanelControl::ViewInstPanelExecute()
{
    if (!link_.linkOpen()) {
        // Hidden again, without asking for a port a second time.
        if (shown_) toggle(false);
        return;
    }
    const int answered = link_.SendCommand(QByteArray(cmd::kFirmwareVersion));
    if (answered && shown_) {
        setShown(true);
        link_.SendCommand(QByteArray(cmd::kSerialNumberLower));
        RefreshPanel();
        return;
    }
    // Only an instrument that was asked and did not answer closes the link; a
    // question that could not be sent (a download still arriving) only hides.
    if (!answered && link_.lastOutcome() != Link::Outcome::NotSent) hooks_.closeLink();
    setShown(false);
}

void PanelControl::RefreshPanel()
{
    link_.pollPanel();
}

void PanelControl::openOrRefresh()
{
    if (shown_)
        RefreshPanel();
    else
        ViewInstControlPanelClick();
}

void PanelControl::pressKey(panel::Key key, bool autoRepeat)
{
    if (state_.FirmwareUpgradeActive || link_.operations().busy()) return;
    panel_.setFocus(Qt::OtherFocusReason);  // no control of the panel keeps the focus
    if (keyRunning_ || link_.exchanging()) {
        if (!autoRepeat) waitingKeys_.append(key);
        return;
    }
    waitingKeys_.append(key);
    sendWaitingKeys();
}

void PanelControl::sendWaitingKeys()
{
    if (keyRunning_ || link_.exchanging() || waitingKeys_.isEmpty()) return;
    if (state_.FirmwareUpgradeActive || link_.operations().busy()) {
        waitingKeys_.clear();
        return;
    }
    const QScopedValueRollback<bool> running(keyRunning_, true);
    // Keys pressed while these go out join the end of the queue.
    while (!waitingKeys_.isEmpty()) {
        for (const QByteArray& command : panel::commandsFor(waitingKeys_.takeFirst()))
            link_.SendCommand(command);
        RefreshPanel();
    }
}

}  // namespace nesmo
