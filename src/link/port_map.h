#pragma once

#include <QList>
#include <QMap>
#include <QString>

namespace nesmo {

// The operator sees serial ports as numbers COM1..COM50. A number is stored in
// the settings file; the section "Ports" may name its device (COM3=/dev/ttyUSB0).
// A number without such a key is /dev/ttyS<n-1>. Serial devices that the system
// has but no key names are given the lowest free numbers.
class PortMap {
public:
    static constexpr int kFirst = 1;
    static constexpr int kLast = 50;

    void setExplicit(int number, const QString& device) { explicit_[number] = device; }
    const QMap<int, QString>& explicitEntries() const { return explicit_; }

    QString devicePath(int number) const;

    // Gives each device without a number the lowest free one and records it.
    void assignNumbers(const QStringList& systemDevices);

    struct Entry {
        int number;
        QString device;
    };
    // Every number 1..50 with the device it stands for.
    QList<Entry> entries() const;

private:
    QMap<int, QString> explicit_;
};

}  // namespace nesmo
