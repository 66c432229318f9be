#include "shell/settings_file.h"

#include "core/save_file.h"

// Narrow strings only: the file is read and written as bytes.
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <string>

namespace nesmo {

namespace {

constexpr char kSetup[] = "Setup";
constexpr char kPorts[] = "Ports";
constexpr char kPanel[] = "Panel";
constexpr char kNetwork[] = "Network";

// The settings file is loaded afresh for every read and write: it is small, and
// another section may have been written meanwhile.
class Ini {
public:
    explicit Ini(const QString& path)
    {
        ini_.SetUnicode(false);
        ini_.SetSpaces(false);
        ini_.SetMultiKey(false);
        QFile f(path);
        if (f.open(QIODevice::ReadOnly)) {
            const QByteArray data = f.readAll();
            ini_.LoadData(data.constData(), static_cast<size_t>(data.size()));
        }
    }

    QString string(const char* section, const char* key, const QString& def) const
    {
        const char* v = ini_.GetValue(section, key, nullptr);
        return v ? QString::fromUtf8(v) : def;
    }

    // A missing key or a value that is not a number gives the default.
    int integer(const char* section, const char* key, int def) const
    {
        const char* v = ini_.GetValue(section, key, nullptr);
        if (!v) return def;
        bool ok = false;
        const int n = QString::fromUtf8(v).trimmed().toInt(&ok);
        return ok ? n : def;
    }

    // Removes the keys so that setting them again writes them in the given order.
    void clearKeys(const char* section, std::initializer_list<const char*> keys)
    {
        for (const char* k : keys)
            ini_.Delete(section, k, false);
    }
    void clearSection(const char* section)
    {
        CSimpleIniA::TNamesDepend keys;
        ini_.GetAllKeys(section, keys);
        std::vector<std::string> names;
        for (const auto& k : keys)
            names.emplace_back(k.pItem);
        for (const auto& k : names)
            ini_.Delete(section, k.c_str(), false);
    }

    void set(const char* section, const char* key, const QString& value)
    {
        ini_.SetValue(section, key, value.toUtf8().constData());
    }
    void set(const char* section, const char* key, int value)
    {
        set(section, key, QString::number(value));
    }

    bool save(const QString& path, QString* error)
    {
        std::string out;
        if (ini_.Save(out) < 0) {
            if (error) *error = QStringLiteral("the settings could not be formatted");
            return false;
        }
        const QString failure =
            saveWholeFile(path, QByteArray(out.data(), static_cast<qsizetype>(out.size())));
        if (failure.isEmpty()) return true;
        if (error) *error = failure;
        return false;
    }

private:
    CSimpleIniA ini_;
};

}  // namespace

QString SettingsFile::defaultPath()
{
    const QString forced = qEnvironmentVariable("NESMOCOMM_INI");
    if (!forced.isEmpty()) return forced;
    const QString name = QCoreApplication::applicationName() + QStringLiteral(".INI");
    const QString dir = QCoreApplication::applicationDirPath();
    // Beside the program when it lives in a folder of its own; an installed
    // program (in a system folder, writable or not) keeps them in the user's.
    const bool systemFolder = dir.startsWith(QLatin1String("/usr/")) ||
                              dir == QLatin1String("/bin") || dir == QLatin1String("/sbin");
    if (!systemFolder && QFileInfo(dir).isWritable()) return QDir(dir).filePath(name);
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(config);
    return QDir(config).filePath(name);
}

SetupSettings SettingsFile::readSetup() const
{
    const Ini ini(path_);
    SetupSettings s;
    s.ComPort = ini.integer(kSetup, "ComPort", 0);
    s.DeviceNumber = ini.integer(kSetup, "DeviceNumber", 1);
    s.DeviceFilter = ini.integer(kSetup, "DeviceFilter", 0) != 0;
    s.SiteFile = ini.string(kSetup, "SiteFile", s.SiteFile);
    s.TerminalCaptureFile =
        ini.string(kSetup, "TerminalCaptureFile", s.TerminalCaptureFile).left(kMaxCaptureFileName);
    return s;
}

bool SettingsFile::writeSetup(const SetupSettings& s, QString* error) const
{
    Ini ini(path_);
    ini.clearKeys(kSetup, {"ComPort", "Baud", "DeviceNumber", "DeviceFilter", "TerminalCaptureFile",
                           "SiteFile"});
    ini.set(kSetup, "ComPort", s.ComPort);
    ini.set(kSetup, "Baud", 19200);
    ini.set(kSetup, "DeviceNumber", s.DeviceNumber);
    ini.set(kSetup, "DeviceFilter", s.DeviceFilter ? 1 : 0);
    ini.set(kSetup, "TerminalCaptureFile", s.TerminalCaptureFile.left(kMaxCaptureFileName));
    ini.set(kSetup, "SiteFile", s.SiteFile);
    return ini.save(path_, error);
}

QMap<int, QString> SettingsFile::readPorts() const
{
    const Ini ini(path_);
    QMap<int, QString> ports;
    for (int n = 1; n <= 50; ++n) {
        const QByteArray key = "COM" + QByteArray::number(n);
        const QString device = ini.string(kPorts, key.constData(), QString()).trimmed();
        if (!device.isEmpty()) ports.insert(n, device);
    }
    return ports;
}

bool SettingsFile::writePorts(const QMap<int, QString>& ports, QString* error) const
{
    Ini ini(path_);
    ini.clearSection(kPorts);
    for (auto it = ports.cbegin(); it != ports.cend(); ++it) {
        const QByteArray key = "COM" + QByteArray::number(it.key());
        ini.set(kPorts, key.constData(), it.value());
    }
    return ini.save(path_, error);
}

PanelSettings SettingsFile::readPanel() const
{
    const Ini ini(path_);
    PanelSettings p;
    p.Top = ini.integer(kPanel, "Top", p.Top);
    p.Left = ini.integer(kPanel, "Left", p.Left);
    return p;
}

bool SettingsFile::writePanel(const PanelSettings& p, QString* error) const
{
    Ini ini(path_);
    ini.clearKeys(kPanel, {"Top", "Left", "Height", "Width"});
    ini.set(kPanel, "Top", p.Top);
    ini.set(kPanel, "Left", p.Left);
    ini.set(kPanel, "Height", p.Height);
    ini.set(kPanel, "Width", p.Width);
    return ini.save(path_, error);
}

NetworkSettings SettingsFile::readNetwork() const
{
    const Ini ini(path_);
    NetworkSettings n;
    n.Address = ini.string(kNetwork, "Address", QString()).trimmed();
    n.Port = ini.integer(kNetwork, "Port", 0);
    if (n.Port < 1 || n.Port > 65535) n.Port = 0;
    return n;
}

bool SettingsFile::writeNetwork(const NetworkSettings& n, QString* error) const
{
    Ini ini(path_);
    ini.clearKeys(kNetwork, {"Address", "Port"});
    ini.set(kNetwork, "Address", n.Address);
    ini.set(kNetwork, "Port", n.Port);
    return ini.save(path_, error);
}

}  // namespace nesmo
