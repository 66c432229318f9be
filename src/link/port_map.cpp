#include "link/port_map.h"

#include <QFileInfo>
#include <QSet>

namespace nesmo {

QString PortMap::devicePath(int number) const
{
    const auto it = explicit_.find(number);
    if (it != explicit_.end()) return it.value();
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
}

void PortMap::assignNumbers(const QStringList& systemDevices)
{
    QSet<QString> named;
    for (int n = kFirst; n <= kLast; ++n)
        named.insert(QFileInfo(devicePath(n)).absoluteFilePath());
    for (const QString& device : systemDevices) {
        if (named.contains(QFileInfo(device).absoluteFilePath())) continue;
        // Lowest number that neither names a device nor stands for an existing /dev/ttyS.
        for (int n = kFirst; n <= kLast; ++n) {
            if (explicit_.contains(n)) continue;
            if (QFileInfo::exists(devicePath(n)) && systemDevices.contains(devicePath(n))) continue;
            explicit_[n] = device;
            named.insert(QFileInfo(device).absoluteFilePath());
            break;
        }
    }
}

QList<PortMap::Entry> PortMap::entries() const
{
    QList<Entry> list;
    for (int n = kFirst; n <= kLast; ++n)
        list.append({n, devicePath(n)});
    return list;
}

}  // namespace nesmo
