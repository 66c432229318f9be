#pragma once

#include <QList>
#include <QMap>
#include <QString>

#include "link/port_map.h"

namespace nesmo::cli {

// The settings file the program itself reads: NESMOCOMM_INI, else NesmoComm.INI
// beside this tool when it lives in a folder of its own, else the one in the
// user's configuration folder.
QString defaultSettingsPath();

// The "Ports" section of a settings file: COMn=device. A missing file gives none.
QMap<int, QString> readPortsSection(const QString& path);

// The settings file's numbers with the system's serial devices that it does not
// name given the lowest free numbers: the numbering of `ports`, of --port COMn
// and of the program's Select Port dialog.
PortMap numberedPorts(const QMap<int, QString>& portMap);

// A serial device as the program's port selection shows it.
struct PortEntry {
    int number = 0;  // COMn
    QString device;
    QString description;
    QString usbId;   // "vvvv:pppp", empty when it is no USB device
    QString access;  // "available", "busy" or "no permission"
};

// Every device the system has or the map names that exists, numbered like the
// program numbers them.
QList<PortEntry> listPorts(const QMap<int, QString>& portMap);

}  // namespace nesmo::cli
