#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "shell/settings_file.h"
#include "support/test_support.h"

namespace nesmo::test {
namespace {

TEST(SettingsFile, MissingFileGivesDefaultsAndExitWritesAllKeysInOrder)
{
    QTemporaryDir dir;
    SettingsFile file(dir.filePath("NesmoComm.INI"));
    const SetupSettings s = file.readSetup();
    EXPECT_EQ(s.ComPort, 0);
    EXPECT_EQ(s.DeviceNumber, 1);
    EXPECT_FALSE(s.DeviceFilter);
    EXPECT_EQ(s.SiteFile, QStringLiteral("SiteFile.txt"));
    EXPECT_EQ(s.TerminalCaptureFile, QStringLiteral("APD.CAP"));

    ASSERT_TRUE(file.writeSetup(s));
    EXPECT_EQ(readFile(file.path()),
              QByteArray("[Setup]\nComPort=0\nBaud=19200\nDeviceNumber=1\nDeviceFilter=0\n"
                         "TerminalCaptureFile=APD.CAP\nSiteFile=SiteFile.txt\n"));
}

TEST(SettingsFile, ReadsEveryKeyAndBadValuesGiveDefaults)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("NesmoComm.INI");
    writeFile(path,
              "[Setup]\nSiteFile=sites.txt\nDeviceFilter=7\nComPort=12\nDeviceNumber=3\n"
              "TerminalCaptureFile=term.cap\nBaud=abc\n");
    SetupSettings s = SettingsFile(path).readSetup();
    EXPECT_EQ(s.ComPort, 12);
    EXPECT_EQ(s.DeviceNumber, 3);
    EXPECT_TRUE(s.DeviceFilter);  // any non-zero integer
    EXPECT_EQ(s.SiteFile, QStringLiteral("sites.txt"));
    EXPECT_EQ(s.TerminalCaptureFile, QStringLiteral("term.cap"));

    writeFile(path, "[Setup]\nComPort=COM3\nDeviceNumber=\nDeviceFilter=yes\n");
    s = SettingsFile(path).readSetup();
    EXPECT_EQ(s.ComPort, 0);
    EXPECT_EQ(s.DeviceNumber, 1);
    EXPECT_FALSE(s.DeviceFilter);
}

TEST(SettingsFile, LongCaptureFileNameIsCutTo255AndWrittenBackCut)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("NesmoComm.INI");
    const QByteArray longName(300, 'c');
    writeFile(path, "[Setup]\nTerminalCaptureFile=" + longName + "\n");
    SettingsFile file(path);
    const SetupSettings s = file.readSetup();
    EXPECT_EQ(s.TerminalCaptureFile.size(), 255);
    ASSERT_TRUE(file.writeSetup(s));
    EXPECT_TRUE(readFile(path).contains("TerminalCaptureFile=" + longName.left(255) + "\n"));
}

TEST(SettingsFile, WritingOneSectionKeepsTheOthersAndTheirOrder)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("NesmoComm.INI");
    writeFile(path,
              "[Panel]\nTop=10\nLeft=20\n\n[Setup]\nSiteFile=a.txt\nComPort=4\n\n"
              "[Ports]\nCOM4=/dev/ttyUSB0\nCOM9=/dev/serial/by-id/usb-x\n");
    SettingsFile file(path);
    EXPECT_EQ(file.readPorts(),
              (QMap<int, QString>{{4, "/dev/ttyUSB0"}, {9, "/dev/serial/by-id/usb-x"}}));
    SetupSettings s = file.readSetup();
    s.ComPort = 0;
    ASSERT_TRUE(file.writeSetup(s));
    const QByteArray text = readFile(path);
    EXPECT_LT(text.indexOf("[Panel]"), text.indexOf("[Setup]"));
    EXPECT_LT(text.indexOf("[Setup]"), text.indexOf("[Ports]"));
    EXPECT_TRUE(text.contains("Top=10\nLeft=20\n"));
    EXPECT_TRUE(text.contains(
        "ComPort=0\nBaud=19200\nDeviceNumber=1\nDeviceFilter=0\nTerminalCaptureFile=APD.CAP\n"
        "SiteFile=a.txt\n"));
    EXPECT_EQ(file.readPanel().Top, 10);
}

TEST(SettingsFile, FailedWriteKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("NesmoComm.INI");
    const QByteArray old = "[Setup]\nComPort=3\n";
    writeFile(path, old);
    SettingsFile file(path);
    QString error;
    {
        // The new file cannot be written past a few bytes (as on a full disk).
        const ScopedFileSizeLimit limit(old.size() + 8);
        EXPECT_FALSE(file.writeSetup(SetupSettings{}, &error));
    }
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"NesmoComm.INI"});

    // A path under a regular file cannot be written at all.
    writeFile(dir.filePath("file"), "x");
    SettingsFile under(dir.filePath("file/NesmoComm.INI"));
    EXPECT_FALSE(under.writeSetup(SetupSettings{}, &error));
}

}  // namespace
}  // namespace nesmo::test
