#pragma once

#include <QByteArray>

namespace nesmo {

// printf into the bytes of an instrument command. Numbers always use a full
// stop, whatever the user's locale; %s takes 8-bit text (QString::toLatin1()).
QByteArray formatCommand(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace nesmo
