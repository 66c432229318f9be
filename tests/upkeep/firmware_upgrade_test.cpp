// Settings backup and restore and the firmware upgrade against nesmo7-sim over a
// pseudo-terminal: what goes out, byte for byte, what the operator is asked and
// told, and the window while and after a transfer runs.
#include <gtest/gtest.h>

#include <QAction>
#include <QPushButton>
#include <stdexcept>

#include "config/config_page.h"
#include "e2e/dump_rig.h"
#include "files/firmware_file.h"
#include "logged_data/data_memory.h"
#include "logged_data/tag_directory.h"
#include "maintenance/firmware_upgrade.h"
#include "maintenance/settings_backup.h"
#include "maintenance/site_list_page.h"
#include "panel/panel_control.h"
#include "shell/main_page.h"

namespace nesmo::test {
namespace {

const QString kReady = QStringLiteral(
    "Firmware is ready. Please follow the steps bellow:\n1) Power off and then power on the "
    "Nesmo-7 unit.\r2) Allow 15 seconds for the firmware to update when restarting Nesmo7\r3) "
    "Restore settings before re-formatting the Nesmo-7 data memory\r4) It is recommended to "
    "re-format the Nesmo-7 data memory.5) Re-zero the instrument");
const QString kVerifyFailed = QStringLiteral("Failed to verify firmware load. Please redo");
const QByteArray kStop = "key esc\r v 157\r key enter\r v 157\r";

// One Intel HEX record with its checksum.
QByteArray hexRecord(int type, int address, const QByteArray& data)
{
    int sum = int(data.size()) + (address >> 8) + (address & 0xFF) + type;
    for (char c : data)
        sum += static_cast<unsigned char>(c);
    const QByteArray head = QByteArray::number(data.size(), 16).rightJustified(2, '0') +
                            QByteArray::number(address, 16).rightJustified(4, '0') +
                            QByteArray::number(type, 16).rightJustified(2, '0');
    return (':' + head + data.toHex() +
            QByteArray::number((-sum) & 0xFF, 16).rightJustified(2, '0'))
        .toUpper();
}

// An image of version major.minor: its version record, n data records, the end.
QList<QByteArray> image(int major, int minor, int n)
{
    QByteArray version(16, '\0');
    version[0] = char(minor);
    version[1] = char(major);
    QList<QByteArray> records{hexRecord(0, 0x1000, version)};
    for (int i = 0; i < n; ++i)
        records << hexRecord(0, 0x1010 + 16 * i, QByteArray(16, char('A' + i % 26)));
    return records << ":00000001FF";
}

QByteArray transferCommands(const QList<QByteArray>& records)
{
    QByteArray out;
    for (const QByteArray& r : records)
        out += firmware::recordCommand(r);
    return out;
}

struct UpgradeRig : DumpRig {
    explicit UpgradeRig(QStringList simArgs) : DumpRig(std::move(simArgs))
    {
        window->firmwareUpgrade()->setIntegrityLimitMs(1500);
        sent();
        dialogs.messages.clear();
    }
    QString write(const QList<QByteArray>& records, const QString& name = "image.hex")
    {
        const QString path = dir.filePath(name);
        writeFile(path, records.join("\r\n") + "\r\n");
        return path;
    }
    void load(const QString& path)
    {
        dialogs.openAnswer = path;
        window->action("Loadnewfirmware1")->trigger();
    }
    QString status() { return window->configPage()->statusText(); }
    // After every transfer, however it ended: the window as before it.
    void expectRestored()
    {
        EXPECT_FALSE(state.FirmwareUpgradeActive);
        for (int i = 1; i < 5; ++i)
            EXPECT_TRUE(window->PageControl()->isTabEnabled(i)) << i;
        QProgressBar* bar = window->mainPage()->ProgressBar2();
        EXPECT_FALSE(bar->isVisible());
        EXPECT_EQ(bar->maximum(), 100);
        EXPECT_TRUE(window->mainPage()->LabelFWLoad()->text().isEmpty());
        EXPECT_TRUE(status().isEmpty());
        EXPECT_TRUE(window->action("Loadnewfirmware1")->isEnabled());
        EXPECT_TRUE(window->mainPage()->SerialConnectionButton()->isEnabled());
    }
    int currentTag()
    {
        window->link().SendCommand("tag\r");
        sent();
        return state.CurrentTag;
    }
};

TEST(FirmwareUpgrade, BackupUpgradeAndRestoreOfOneInstrument)
{
    UpgradeRig rig({"--firmware", "1.30"});
    const QList<QByteArray> records = image(1, 31, 3);
    const QString path = rig.write(records);

    // A backup of another instrument does not count, and a version known from
    // before is asked again.
    rig.state.SettingsBackedUp = true;
    rig.state.BackupSerialNumber = "11111";
    rig.state.FirmwareVersion = 126;
    rig.load(path);
    EXPECT_EQ(rig.dialogs.messages.takeLast(),
              "Can't upgrade\nBackup your settings first, then upgrade\n");
    EXPECT_EQ(rig.sent(), QByteArray("v 141\rv 144\r"));
    EXPECT_EQ(rig.state.FirmwareVersion, 130);

    rig.window->link().SendCommand("tag 7\r");
    rig.window->action("Backupsettings1")->trigger();
    EXPECT_EQ(rig.sent(), QByteArray("tag 7\rv 141\rv 144\rv 245\r"));
    EXPECT_EQ(rig.dialogs.asked.last().caption, "Nesmo-7");
    EXPECT_EQ(rig.dialogs.asked.last().icon, Dialogs::Icon::None);
    EXPECT_EQ(rig.dialogs.messages.takeLast(), "Backup settings successful!");

    rig.load(path);
    EXPECT_EQ(rig.sent(), "v 141\rv 144\rv 157\rv 157\rv 157\rkey esc\r" +
                              transferCommands(records) + "v 252  1\rv 252\r");
    EXPECT_EQ(rig.dialogs.messages.takeLast(), kReady);
    EXPECT_EQ(rig.dialogs.asked.last().caption, "Nesmo-7");
    EXPECT_EQ(rig.dialogs.asked.last().icon, Dialogs::Icon::Information);
    EXPECT_EQ(rig.dialogs.openDialogs.last().title, "Select Firmware HEX file");
    EXPECT_TRUE(rig.dialogs.openDialogs.last().fileName.isEmpty());
    rig.expectRestored();
    EXPECT_NE(rig.currentTag(), 7);  // the new firmware starts from factory settings

    rig.window->action("Restoresettings1")->trigger();
    EXPECT_EQ(rig.sent(), QByteArray("v 141\rv 144\rv 246\r"));
    EXPECT_EQ(rig.state.FirmwareVersion, 131);
    EXPECT_EQ(rig.dialogs.messages.takeLast(), "Restore settings successful!");
    EXPECT_EQ(rig.currentTag(), 7);

    // The dialog proposes the file chosen last; a cancelled dialog leaves no status.
    rig.dialogs.openAnswer.clear();
    rig.window->action("Loadnewfirmware1")->trigger();
    EXPECT_EQ(rig.dialogs.openDialogs.last().fileName, path);
    EXPECT_TRUE(rig.status().isEmpty());
    EXPECT_TRUE(rig.dialogs.messages.isEmpty());
}

TEST(FirmwareUpgrade, BackupAndRestoreByFirmwareVersion)
{
    UpgradeRig rig({"--firmware", "99.26"});
    rig.window->action("Restoresettings1")->trigger();
    EXPECT_EQ(rig.dialogs.messages.takeLast(),
              "Restore settings not supported by this version\nPlease upgrade your software");
    EXPECT_EQ(rig.sent(), QByteArray("v 141\rv 144\r"));
    // Cancelling a backup undoes an earlier one.
    rig.window->action("Backupsettings1")->trigger();
    EXPECT_TRUE(rig.state.SettingsBackedUp);
    rig.dialogs.answers = {false};
    rig.window->action("Backupsettings1")->trigger();
    EXPECT_FALSE(rig.state.SettingsBackedUp);
    EXPECT_EQ(rig.dialogs.messages, QStringList{"Backup settings successful!"});

    // Firmware before 1.30 keeps no backup and needs none, but the upgrade it
    // allows does not make one: the next upgrade asks for a real backup.
    UpgradeRig old({"--firmware", "1.28"});
    old.window->action("Backupsettings1")->trigger();
    EXPECT_TRUE(old.state.SettingsBackedUp);
    EXPECT_EQ(old.dialogs.messages.takeLast(),
              "Backup settings not supported by this version\nPlease upgrade your software");
    const QString path = old.write(image(1, 31, 1));
    old.load(path);
    EXPECT_EQ(old.dialogs.messages.takeLast(), kReady);
    old.load(path);
    EXPECT_EQ(old.dialogs.messages.takeLast(),
              "Can't upgrade\nBackup your settings first, then upgrade\n");
    EXPECT_EQ(old.state.FirmwareVersion, 131);

    // Without a connection neither is tried, and neither blames the firmware.
    old.window->mainPage()->SetConnection(false);
    old.window->action("Backupsettings1")->trigger();
    old.window->action("Restoresettings1")->trigger();
    EXPECT_EQ(old.dialogs.messages,
              (QStringList{"The instrument is not connected.\rThe settings were not backed up.",
                           "The instrument is not connected.\rThe settings were not restored."}));
}

TEST(FirmwareUpgrade, ARecordIsSentAtMostFiveTimes)
{
    for (const int refusals : {4, 5}) {
        UpgradeRig rig({"--refuse-sends", QString::number(refusals)});
        // An error that escapes from the last message still leaves the window restored.
        rig.dialogs.onMessage = [](const QString& text) {
            if (text.startsWith("Problem copying")) throw std::runtime_error("escaped");
        };
        const QList<QByteArray> records = image(1, 30, 1);
        rig.load(rig.write(records));
        const QByteArray sent = rig.sent();
        const QByteArray first = firmware::recordCommand(records[0]);
        if (refusals == 4) {
            EXPECT_EQ(sent.count("v 251 "), 5 * records.size());
            EXPECT_EQ(rig.dialogs.messages.takeLast(), kReady);
        } else {
            EXPECT_TRUE(sent.endsWith(first.repeated(5))) << sent.constData();
            EXPECT_EQ(rig.dialogs.messages.takeLast(), "Problem copying fw file to unit");
            EXPECT_EQ(rig.dialogs.errors.size(), 1);
        }
        rig.expectRestored();
    }
}

TEST(FirmwareUpgrade, AnIntegrityTestWithoutResultEndsInFailureInBoundedTime)
{
    UpgradeRig rig({"--integrity", "never"});
    QElapsedTimer t;
    t.start();
    rig.load(rig.write(image(1, 30, 2)));
    EXPECT_LT(t.elapsed(), 6000);
    EXPECT_EQ(rig.dialogs.messages.takeLast(), kVerifyFailed);
    EXPECT_GE(rig.sent().count("v 252\r"), 3);
    rig.expectRestored();

    UpgradeRig failing({"--integrity", "fail"});
    failing.load(failing.write(image(1, 30, 2)));
    EXPECT_EQ(failing.dialogs.messages.takeLast(), kVerifyFailed);
    EXPECT_EQ(failing.sent().count("v 252\r"), 1);
}

TEST(FirmwareUpgrade, ClosingTheProgramDuringTheIntegrityTestEndsItAtOnce)
{
    UpgradeRig rig({"--integrity", "never"});
    rig.window->firmwareUpgrade()->setIntegrityLimitMs(60000);
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (rig.window->mainPage()->LabelFWLoad()->text() != "Load complete; testing integrity")
            return;
        closer.stop();
        rig.dialogs.answers = {true};
        rig.window->close();
    });
    closer.start(20);
    QElapsedTimer t;
    t.start();
    rig.load(rig.write(image(1, 30, 2)));
    EXPECT_LT(t.elapsed(), 5000);
    EXPECT_TRUE(rig.dialogs.asked.last().text.startsWith("A firmware transfer is running."));
    EXPECT_TRUE(rig.dialogs.messages.isEmpty()) << rig.dialogs.messages.join('|').toStdString();
    EXPECT_FALSE(rig.state.FirmwareUpgradeActive);
}

TEST(FirmwareUpgrade, ADamagedFileIsRefusedBeforeAnythingIsSentForIt)
{
    UpgradeRig rig({});
    QList<QByteArray> records = image(1, 30, 2);
    records[2][10] = records[2][10] == '0' ? '1' : '0';
    rig.load(rig.write(records));
    EXPECT_EQ(rig.dialogs.messages.takeLast(),
              "Line 3 of the firmware file cannot be sent: its checksum is wrong.\nNothing has "
              "been sent to the instrument.");
    EXPECT_EQ(rig.sent(), QByteArray("v 141\rv 144\rv 157\rv 157\r"));
    rig.expectRestored();
}

TEST(FirmwareUpgrade, ARunningInstrumentIsStoppedOrLeftAlone)
{
    {
        // It resists: twenty attempts, then the upgrade ends, and says why.
        UpgradeRig rig({"--running", "--sticky-run"});
        rig.dialogs.answers = {true};
        rig.load(rig.write(image(1, 30, 1)));
        EXPECT_EQ(rig.sent(), "v 141\rv 144\rv 157\r" + kStop.repeated(20) + "key esc\rv 157\r");
        ASSERT_EQ(rig.dialogs.asked.size(), 1);
        EXPECT_EQ(rig.dialogs.asked[0].text,
                  "WARNING! \nThe Nesmo-7 cannot be loaded while running. Terminate run?");
        EXPECT_EQ(rig.dialogs.asked[0].caption, "NESMO-7");
        EXPECT_EQ(rig.dialogs.asked[0].icon, Dialogs::Icon::Error);
        EXPECT_EQ(rig.dialogs.messages,
                  QStringList{"The Nesmo-7 did not stop its run (20 attempts): the firmware was "
                              "not loaded.\rStop the measurement on the instrument, then load "
                              "the firmware again."});
        EXPECT_TRUE(rig.status().isEmpty());
    }
    // It stops at the first attempt; the operator then cancels the warning.
    UpgradeRig rig({"--running"});
    rig.dialogs.answers = {true, false};
    rig.load(rig.write(image(1, 30, 1)));
    EXPECT_EQ(rig.sent(), "v 141\rv 144\rv 157\r" + kStop + "key esc\rv 157\r");
    EXPECT_EQ(rig.dialogs.asked.size(), 2);
    EXPECT_TRUE(rig.status().isEmpty());
}

TEST(FirmwareUpgrade, NothingElseReachesTheInstrumentDuringATransfer)
{
    UpgradeRig rig({"--pace"});
    const QList<QByteArray> records = image(1, 30, 40);
    bool checked = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (checked || !rig.state.FirmwareUpgradeActive ||
            rig.window->mainPage()->LabelFWLoad()->text().isEmpty())
            return;
        checked = true;
        MainWindow& w = *rig.window;
        EXPECT_EQ(w.PageControl()->currentIndex(), 0);
        for (int i = 1; i < 5; ++i)
            EXPECT_FALSE(w.PageControl()->isTabEnabled(i)) << i;
        EXPECT_EQ(w.mainPage()->ProgressBar2()->maximum(), firmware::kBarMaximum);
        EXPECT_TRUE(w.mainPage()->LabelFWLoad()->text().startsWith("Transferring firmware file "));
        for (const char* name :
             {"Loadnewfirmware1", "Backupsettings1", "Restoresettings1", "ComPort"})
            EXPECT_FALSE(w.action(name)->isEnabled()) << name;
        EXPECT_FALSE(w.mainPage()->SerialConnectionButton()->isEnabled());
        if (const QByteArray shots = qgetenv("NESMO_SHOTS"); !shots.isEmpty())
            w.grab().save(QString::fromLocal8Bit(shots) + "/main-during-transfer.png");
        w.mainPage()->SerialConnectClick();
        EXPECT_EQ(rig.dialogs.messages.takeLast(),
                  "A firmware transfer is running: the connection stays as it is until it has "
                  "finished.");
        EXPECT_TRUE(w.link().port().isOpen());
        w.firmwareUpgrade()->FWLoadClick();  // no second upgrade inside this one
        EXPECT_EQ(rig.dialogs.messages.takeLast(),
                  "Wait until the program has finished loading new firmware.");
        w.ViewGraphExecute();  // the graph page's "g" is refused
        w.panelControl()->RefreshPanel();
        EXPECT_EQ(w.link().SendCommand("v 5\r"), 0);
        rig.dialogs.answers = {false};
        EXPECT_FALSE(w.close());  // the operator keeps the program open
        EXPECT_TRUE(w.isVisible());
    });
    probe.start(20);
    rig.load(rig.write(records));
    probe.stop();
    EXPECT_TRUE(checked);
    EXPECT_EQ(rig.dialogs.messages.takeLast(), kReady);
    EXPECT_EQ(rig.sent(), "v 141\rv 144\rv 157\rv 157\rv 157\rkey esc\r" +
                              transferCommands(records) + "v 252  1\rv 252\r");
    rig.expectRestored();
}

TEST(FirmwareUpgrade, VersionGatesDecideBeforeTheRunIsStoppedForTheTransfer)
{
    UpgradeRig rig({"--firmware", "1.26"});
    rig.load(rig.write(image(1, 30, 1)));
    EXPECT_EQ(rig.dialogs.messages.takeLast(),
              "Can't upgrade to this version of software\nPlease upgrade to version 99.26 first\n");
    EXPECT_EQ(rig.sent(), QByteArray("v 141\rv 144\rv 157\rv 157\r"));
    rig.expectRestored();

    // The step version is taken, its version record sent first.
    const QList<QByteArray> bridge = image(99, 26, 1);
    rig.load(rig.write(bridge, "bridge.hex"));
    EXPECT_EQ(rig.dialogs.messages.takeLast(), kReady);
    EXPECT_TRUE(rig.sent().contains("key esc\r" + firmware::recordCommand(bridge[0])));

    // From 99.26 only 1.30 and later.
    rig.window->action("Backupsettings1")->trigger();
    rig.load(rig.write(image(1, 29, 1), "old.hex"));
    EXPECT_EQ(rig.dialogs.messages.takeLast(),
              "Can't upgrade to this version of software\nPlease upgrade to version 1.30 or "
              "higher\n");
    EXPECT_FALSE(rig.sent().contains("v 251"));
    rig.expectRestored();
}

TEST(FirmwareUpgrade, OneLongOperationAtATime)
{
    // While the site list is read, no other operation starts inside its waits:
    // each is refused with a word, and the menu's items are locked.
    UpgradeRig rig({"--pace"});
    MainWindow& w = *rig.window;
    const QString path = rig.write(image(1, 30, 1));
    rig.dialogs.openAnswer = path;
    QStringList refused;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!w.link().operations().busy()) return;
        probe.stop();
        for (const char* name : {"FileNew", "Clearalltags1", "Backupsettings1", "Loadnewfirmware1",
                                 "Restoresettings1", "Clearallloggeddata1", "ComPort"})
            EXPECT_FALSE(w.action(name)->isEnabled()) << name;
        EXPECT_FALSE(w.mainPage()->SerialConnectionButton()->isEnabled());
        w.firmwareUpgrade()->FWLoadClick();
        w.settingsBackup()->FileBackupsettingsExecute();
        w.settingsBackup()->FileRestoreSettingsExecute();
        w.dataMemory()->FileDeleteAllExecute();
        w.dataMemory()->Clearallloggeddata1Click();
        w.tagDirectory()->FileNewExecute();
        w.configPage()->GetConfigClick();
        refused = rig.dialogs.messages;
    });
    probe.start(5);
    w.siteListPage()->GetSiteListClick();
    EXPECT_EQ(refused,
              QStringList(7, "Wait until the program has finished reading the site list."));
    const QByteArray sent = rig.sent();
    EXPECT_TRUE(sent.startsWith("v 157\rsite\r")) << sent.constData();
    EXPECT_TRUE(sent.endsWith("site 50\r\rsite 1\r")) << sent.constData();
    EXPECT_EQ(sent.count("\r"), 2 + 2 + 2 * 50 + 1);  // nothing but the site list's commands
    EXPECT_TRUE(w.action("Loadnewfirmware1")->isEnabled());
    EXPECT_TRUE(w.mainPage()->SerialConnectionButton()->isEnabled());
}

TEST(FirmwareUpgrade, ATransferCutByTheLinkIsToldAndARetryAndTheRestoreSucceed)
{
    UpgradeRig rig({"--firmware", "1.30", "--cut-transfer", "3"});
    rig.window->link().SendCommand("tag 7\r");
    rig.window->action("Backupsettings1")->trigger();
    EXPECT_EQ(rig.dialogs.messages.takeLast(), "Backup settings successful!");
    const QList<QByteArray> records = image(1, 31, 6);
    const QString path = rig.write(records);
    rig.sent();
    rig.load(path);
    EXPECT_TRUE(rig.dialogs.messages.contains(
        "Problem copying fw file to unit\rThe connection to the instrument was lost during the "
        "transfer: the instrument holds no complete program. Connect it again and load the "
        "firmware again."))
        << rig.dialogs.messages.join('|').toStdString();
    // Three records went in; the fourth met the cut line.
    const QByteArray sent = rig.sent();
    EXPECT_TRUE(sent.contains(transferCommands(records.mid(0, 4))));
    EXPECT_FALSE(sent.contains(firmware::recordCommand(records[4])));
    rig.expectRestored();

    // The line comes back; the boot loader alone answers until a whole image is in.
    QByteArray out;
    ASSERT_TRUE(waitUntil([&] {
        out += rig.sim->process().readAllStandardOutput();
        return out.contains("back");
    }));
    rig.window->link().port().setPortNumber(7);
    rig.window->mainPage()->SetConnection(true);
    ASSERT_TRUE(rig.window->link().port().isOpen());
    rig.dialogs.messages.clear();
    rig.sent();
    rig.load(path);
    EXPECT_EQ(rig.dialogs.messages, QStringList{kReady});
    EXPECT_EQ(rig.sent(), "v 141\rv 144\rv 157\rv 157\rv 157\rkey esc\r" +
                              transferCommands(records) + "v 252  1\rv 252\r");
    rig.expectRestored();

    rig.window->action("Restoresettings1")->trigger();
    EXPECT_EQ(rig.dialogs.messages.takeLast(), "Restore settings successful!");
    EXPECT_EQ(rig.state.FirmwareVersion, 131);
    EXPECT_EQ(rig.currentTag(), 7);
}

}  // namespace
}  // namespace nesmo::test
