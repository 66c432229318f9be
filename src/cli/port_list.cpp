#include "cli/port_list.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStandardPaths>

#include "link/port.h"

namespace nesmo::cli {

QString defaultSettingsPath()
{
    const QString forced = qEnvironmentVariable("NESMOCOMM_INI");
    if (!forced.isEmpty()) return forced;
    const QString name = QStringLiteral("NesmoComm.INI");
    const QString dir = QCoreApplication::applicationDirPath();
    const bool systemFolder = dir.startsWith(QLatin1String("/usr/")) ||
                              dir == QLatin1String("/bin") || dir == QLatin1String("/sbin");
    if (!systemFolder && QFileInfo::exists(QDir(dir).filePath(name)))
        return QDir(dir).filePath(name);
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(config).filePath(QStringLiteral("NesmoComm/") + name);
}

QMap<int, QString> readPortsSection(const QString& path)
{
    QMap<int, QString> ports;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return ports;
    bool inPorts = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'[')) {
            inPorts = line.compare(QLatin1String("[Ports]"), Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!inPorts || eq < 0) continue;
        const QString key = line.left(eq).trimmed();
        if (!key.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) continue;
        bool ok = false;
        const int n = key.mid(3).toInt(&ok);
        const QString device = line.mid(eq + 1).trimmed();
        if (ok && n >= PortMap::kFirst && n <= PortMap::kLast && !device.isEmpty())
            ports.insert(n, device);
    }
    return ports;
}

PortMap numberedPorts(const QMap<int, QString>& portMap)
{
    PortMap map;
    for (auto it = portMap.cbegin(); it != portMap.cend(); ++it)
        map.setExplicit(it.key(), it.value());
    QStringList systemDevices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        systemDevices << info.systemLocation();
    map.assignNumbers(systemDevices);
    return map;
}

QList<PortEntry> listPorts(const QMap<int, QString>& portMap)
{
    Port port(false);
    const PortMap map = numberedPorts(portMap);

    QList<PortEntry> list;
    for (const PortMap::Entry& e : map.entries()) {
        const Port::Probe probe = port.probe(e.device);
        if (probe == Port::Probe::Unavailable) continue;
        PortEntry entry;
        entry.number = e.number;
        entry.device = e.device;
        const QSerialPortInfo info(e.device);
        entry.description = info.description();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier())
            entry.usbId = QStringLiteral("%1:%2")
                              .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                              .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
        entry.access = probe == Port::Probe::Busy           ? QStringLiteral("busy")
                       : probe == Port::Probe::NoPermission ? QStringLiteral("no permission")
                                                            : QStringLiteral("available");
        list.append(entry);
    }
    return list;
}

}  // namespace nesmo::cli
