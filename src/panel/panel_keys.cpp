#include "panel/panel_keys.h"

#include <Qt>

#include "link/commands.h"

namespace nesmo::panel {

Key keyFor(int qtKey)
{
    switch (qtKey) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_P: return Key::Enter;
        case Qt::Key_Escape:
        case Qt::Key_U: return Key::Esc;
        case Qt::Key_Up:
        case Qt::Key_I: return Key::Up;
        case Qt::Key_Down:
        case Qt::Key_O: return Key::Down;
        case Qt::Key_Y: return Key::OnOff;
        default: return Key::None;
    }
}

QList<QByteArray> commandsFor(Key key)
{
    switch (key) {
        case Key::OnOff: return {cmd::kKeyOnOff};
        case Key::Esc: return {cmd::kKeyEsc};
        case Key::Up: return {cmd::kKeyUp};
        case Key::Down: return {cmd::kKeyDown};
        case Key::Enter: return {cmd::kKeyEnter, cmd::kTagQuery};
        case Key::None: break;
    }
    return {};
}

}  // namespace nesmo::panel
