#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstring>

namespace nesmo {

// Appends bytes by growing the array and copying into it. QByteArray::append
// goes through the general insert, which costs many times a short copy; this
// runs for every line of a download, several times.
inline void appendBytes(QByteArray& to, QByteArrayView bytes)
{
    if (bytes.isEmpty()) return;
    const qsizetype at = to.size();
    to.resize(at + bytes.size());
    std::memcpy(to.data() + at, bytes.data(), size_t(bytes.size()));
}

}  // namespace nesmo
