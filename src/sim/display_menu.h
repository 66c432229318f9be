#pragma once

#include <QByteArray>
#include <QDateTime>
#include <utility>

#include "sim/instrument_state.h"

namespace nesmo::sim {

enum class Key { Up, Down, Enter, Esc, OnOff };

// What the display needs besides the settings.
struct DisplayContext {
    bool running = false;
    QDateTime now;
    double dust = 0.0;  // the current reading, in the display units
    QByteArray serial;
    QByteArray firmware;
};

// The instrument's front panel: a two-line display of 16 characters and five
// keys. The home screen shows the reading; ENTER opens the menu in standby,
// ESC asks to stop a run, ON/OFF starts or stops a run from anywhere.
class DisplayMenu {
public:
    static constexpr int kWidth = 16;

    enum class Action { None, StartRun, StopRun };

    // Handles one key press. Settings edited through the menu are stored in s.
    Action press(Key key, Settings& s, bool running);
    // The two display lines, each exactly kWidth characters.
    std::pair<QByteArray, QByteArray> lines(const Settings& s, const DisplayContext& c) const;

    enum class Screen {
        Home,
        StopConfirm,
        Menu,
        EditLogPeriod,
        EditTag,
        EditLogging,
        EditSite,
        EditBacklight,
        ShowClock,
        ShowAbout,
    };
    Screen screen() const { return m_screen; }

private:
    Action pressMenu(Key key, Settings& s, bool running);
    void pressEdit(Key key, Settings& s);

    Screen m_screen = Screen::Home;
    int m_cursor = 0;  // menu item under the cursor
    int m_edit = 0;    // value being edited, stored by ENTER
};

}  // namespace nesmo::sim
