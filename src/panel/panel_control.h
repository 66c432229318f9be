#pragma once

#include <QAction>
#include <QObject>
#include <QPushButton>
#include <functional>

#include "core/app_state.h"
#include "panel/panel_keys.h"

namespace nesmo {

class Link;
class PanelWindow;

// What showing the panel needs of the main window's connection handling.
struct PanelHooks {
    std::function<int()> portNumber;  // the serial port number, 0 = none chosen
    std::function<void()> connect;    // SerialConnectClick
    std::function<void()> closeLink;  // SetConnection(false)
};

// Showing, hiding and driving the instrument panel: the toggle of the Main page's
// button and the View menu item, the check that the instrument answers, the
// panel's keys and its display refresh.
class PanelControl final : public QObject {
    Q_OBJECT

public:
    PanelControl(AppState& state, Link& link, PanelWindow& panel, QPushButton* showButton,
                 QAction* menuItem, PanelHooks hooks, QObject* parent = nullptr);

    bool shown() const { return shown_; }

    // The button and the menu item: shows a hidden panel, hides a shown one.
    void ViewInstControlPanelClick();
    // After showing: the instrument must answer, or the panel is hidden again.
    void ViewInstPanelExecute();
    // Refreshes the display now, when the link is open and no reply is awaited.
    void RefreshPanel();
    // The tag list's "open the panel": shows it when hidden, refreshes it when shown.
    void openOrRefresh();
    // One instrument key, then the display refreshed. A key pressed while an
    // exchange runs waits its turn, in order; a held key's repeats that come
    // meanwhile are dropped, and so is every key while a long operation or a
    // firmware transfer holds the instrument.
    void pressKey(panel::Key key, bool autoRepeat = false);

private:
    void toggle(bool mayConnect);
    // The one place where the shown state changes: window, caption and check follow.
    void setShown(bool shown);
    // Sends the keys that wait, once no exchange runs.
    void sendWaitingKeys();

    AppState& state_;
    Link& link_;
    PanelWindow& panel_;
    QPushButton* showButton_;
    QAction* menuItem_;
    PanelHooks hooks_;
    bool shown_ = false;
    bool keyRunning_ = false;
    QList<panel::Key> waitingKeys_;
};

}  // namespace nesmo
