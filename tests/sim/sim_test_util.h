#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Helpers shared by the simulator's tests.
namespace nesmo::sim::test {

// A file of tests/data/samples, whole.
inline QByteArray sample(const char* name)
{
    QFile f(QStringLiteral(NESMO_TEST_DATA "/samples/") + QString::fromLatin1(name));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

// Bytes with the unprintable ones as \xNN, for readable failure messages.
inline std::string printable(const QByteArray& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += char(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out;
}

}  // namespace nesmo::sim::test
