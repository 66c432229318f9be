#pragma once

#include <QMap>
#include <QString>

namespace nesmo {

// Section "Setup" of the settings file.
struct SetupSettings {
    int ComPort = 0;
    int DeviceNumber = 1;
    bool DeviceFilter = false;
    QString SiteFile = QStringLiteral("SiteFile.txt");
    QString TerminalCaptureFile = QStringLiteral("APD.CAP");
};

// Section "Panel": where the instrument panel window stands.
struct PanelSettings {
    int Top = 225;
    int Left = 378;
    int Height = 0;
    int Width = 0;
};

// Section "Network": where network mode finds the instrument. Written only in
// network mode; an empty address or a port of 0 leaves the built-in default
// (127.0.0.1, port 1000).
struct NetworkSettings {
    QString Address;
    int Port = 0;
};

// The settings file: a Windows INI text file ("Key=Value" lines). Writing one
// section keeps the others, and their order, as they were; the file is replaced
// whole through a temporary file, so a failed write leaves the old one.
class SettingsFile {
public:
    explicit SettingsFile(QString path) : path_(std::move(path)) {}

    // Beside the program, named after it with ".INI"; in the user's configuration
    // folder when the program's folder is not writable. NESMOCOMM_INI overrides.
    static QString defaultPath();

    QString path() const { return path_; }

    SetupSettings readSetup() const;
    bool writeSetup(const SetupSettings& s, QString* error = nullptr) const;

    // Section "Ports": COMn=/dev/... for serial devices without a /dev/ttyS name.
    QMap<int, QString> readPorts() const;
    bool writePorts(const QMap<int, QString>& ports, QString* error = nullptr) const;

    PanelSettings readPanel() const;
    bool writePanel(const PanelSettings& p, QString* error = nullptr) const;

    NetworkSettings readNetwork() const;
    bool writeNetwork(const NetworkSettings& n, QString* error = nullptr) const;

    static constexpr int kMaxCaptureFileName = 255;

private:
    QString path_;
};

}  // namespace nesmo
