#pragma once

#include <QByteArray>
#include <QList>

namespace nesmo::panel {

// The five keys of the instrument's keypad.
enum class Key { None, OnOff, Esc, Up, Down, Enter };

// The instrument key a key of the PC keyboard stands for (a Qt::Key code): Enter
// (main or keypad) and P for ENTER, Esc and U for ESC, the arrows and I / O for UP
// and DOWN, Y for ON/OFF; letters in either case. Any other key stands for none.
Key keyFor(int qtKey);

// The commands one instrument key sends, in order: "key ENTER\r" is followed by
// "tag \r", whose reply brings the tag number and logging switch up to date.
QList<QByteArray> commandsFor(Key key);

}  // namespace nesmo::panel
