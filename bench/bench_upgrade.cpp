// A firmware upgrade of a full image (5,888 records, the bar's whole range)
// through the real main window against nesmo7-sim over a pseudo-terminal:
//
//   bench_upgrade [instant-runs] [paced-records]
//
// - against the instant simulator: the whole upgrade's wall time (median of
//   several runs) and the program's own processor share of it;
// - paced at 19200 baud in both directions (the command's bytes arrive before
//   the reply starts): the wall time beside the line time of every byte the
//   upgrade puts on the line, 10 bits a byte.

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_common.h"
#include "bench_sim.h"
#include "core/app_state.h"
#include "core/dialogs.h"
#include "link/link.h"
#include "maintenance/firmware_upgrade.h"
#include "maintenance/settings_backup.h"
#include "shell/main_window.h"

namespace {

using namespace nesmo;

[[noreturn]] void fail(const QString& what)
{
    std::fprintf(stderr, "bench_upgrade: %s\n", qPrintable(what));
    std::exit(1);
}

// Confirms every question, chooses the image and records the last message.
class ScriptDialogs final : public Dialogs {
public:
    void message(const QString& text) override { last = text; }
    void error(const QString& text) override { fail("error box: " + text); }
    bool askYesNo(const QString&, const QString&, Icon) override { return true; }
    bool askOkCancel(const QString&, const QString&, Icon) override { return true; }
    std::optional<int> choosePort(const QStringList&) override { return std::nullopt; }
    QString openFileName(const FileDialogSetup&) override { return image; }
    QString saveFileName(const FileDialogSetup&) override { return {}; }
    bool print(QPrinter&) override { return false; }
    std::optional<QFont> chooseFont(const QFont&) override { return std::nullopt; }

    QString image;
    QString last;
};

QByteArray hexRecord(int type, int address, const QByteArray& data)
{
    int sum = int(data.size()) + (address >> 8) + (address & 0xFF) + type;
    for (char c : data)
        sum += static_cast<unsigned char>(c);
    QByteArray r = ':' + QByteArray::number(data.size(), 16).rightJustified(2, '0') +
                   QByteArray::number(address & 0xFFFF, 16).rightJustified(4, '0') +
                   QByteArray::number(type, 16).rightJustified(2, '0') + data.toHex() +
                   QByteArray::number((-sum) & 0xFF, 16).rightJustified(2, '0');
    return r.toUpper();
}

// Version 1.30, then data records of 16 bytes, then the end: `records` in all.
QByteArray image(int records)
{
    QByteArray version(16, '\0');
    version[0] = char(30);
    version[1] = char(1);
    QByteArray text = hexRecord(0, 0x1000, version) + "\r\n";
    for (int i = 0; i < records - 2; ++i) {
        QByteArray data(16, '\0');
        for (int j = 0; j < 16; ++j)
            data[j] = char((i * 16 + j) * 31);
        text += hexRecord(0, 0x1010 + 16 * i, data) + "\r\n";
    }
    return text + ":00000001FF\r\n";
}

struct Run {
    double wallMs = 0, cpuMs = 0;
    qint64 sentBytes = 0, receivedBytes = 0;
};

// One upgrade through a fresh main window connected to the simulator at tty.
Run upgrade(const QTemporaryDir& dir, const QString& tty, const QString& log, const QString& hex)
{
    const QString ini = dir.filePath(QStringLiteral("bench.INI"));
    QFile f(ini);
    if (!f.open(QIODevice::WriteOnly)) fail("cannot write the settings file");
    f.write("[Setup]\nComPort=1\n[Ports]\nCOM1=" + QFile::encodeName(tty) + "\n");
    f.close();
    AppState state;
    ScriptDialogs dialogs;
    dialogs.image = hex;
    MainWindow window(state, dialogs, ini, QStringList{});
    window.show();
    QElapsedTimer t;
    t.start();
    while (state.FirmwareVersion == 0 && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (state.FirmwareVersion == 0) fail("the program did not connect");
    QCoreApplication::processEvents();

    // An instrument upgraded by an earlier run has 1.30 and wants a backup first
    // (on older firmware this only says that it keeps none).
    window.settingsBackup()->FileBackupsettingsExecute();

    Run run;
    const qint64 sentBefore = QFile(log).size();
    const quint64 receivedBefore = window.link().bytesReceived();
    const double cpu0 = bench::ownCpuMs();
    t.start();
    window.firmwareUpgrade()->FWLoadClick();
    run.wallMs = t.nsecsElapsed() * 1e-6;
    run.cpuMs = bench::ownCpuMs() - cpu0;
    run.sentBytes = QFile(log).size() - sentBefore;
    run.receivedBytes = qint64(window.link().bytesReceived() - receivedBefore);
    if (!dialogs.last.startsWith(QStringLiteral("Firmware is ready")))
        fail("the upgrade did not end ready: " + dialogs.last);
    return run;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int pacedRecords = argc > 2 ? std::max(2, std::atoi(argv[2])) : 5888;
    QTemporaryDir dir;
    bool ok = true;

    const QString hex = dir.filePath(QStringLiteral("full.hex"));
    {
        QFile f(hex);
        if (!f.open(QIODevice::WriteOnly)) fail("cannot write the image");
        f.write(image(5888));
    }

    {
        const QString tty = dir.filePath(QStringLiteral("instant"));
        const QString log = dir.filePath(QStringLiteral("instant.log"));
        bench::Simulator sim({QStringLiteral("--pty"), tty, QStringLiteral("--log"), log});
        std::vector<double> wall, share;
        for (int i = 0; i < runs; ++i) {
            const Run r = upgrade(dir, tty, log, hex);
            wall.push_back(r.wallMs);
            share.push_back(100.0 * r.cpuMs / r.wallMs);
        }
        std::printf("5,888-record upgrade against the instant simulator (%d runs):\n", runs);
        std::printf("  wall median %.0f ms (min %.0f, max %.0f), program's share median %.1f %%\n",
                    bench::median(wall), *std::min_element(wall.begin(), wall.end()),
                    *std::max_element(wall.begin(), wall.end()), bench::median(share));
        ok &= bench::summaryAtMost("instant upgrade: median wall", bench::median(wall), "ms", 3000);
        bench::summary("instant upgrade: program's processor share", bench::median(share), "%");
    }

    {
        const QString paced = dir.filePath(QStringLiteral("paced.hex"));
        {
            QFile f(paced);
            if (!f.open(QIODevice::WriteOnly)) fail("cannot write the image");
            f.write(image(pacedRecords));
        }
        const QString tty = dir.filePath(QStringLiteral("paced"));
        const QString log = dir.filePath(QStringLiteral("paced.log"));
        bench::Simulator sim(
            {QStringLiteral("--pty"), tty, QStringLiteral("--pace"), QStringLiteral("--log"), log});
        const Run r = upgrade(dir, tty, log, paced);
        const double lineMs = double(r.sentBytes + r.receivedBytes) * 10.0 / 19.2;
        std::printf("%d-record upgrade paced at 19200 baud:\n", pacedRecords);
        std::printf(
            "  wall %.0f ms, line time %.0f ms of %lld bytes sent and %lld received, "
            "program's share %.1f %%\n",
            r.wallMs, lineMs, static_cast<long long>(r.sentBytes),
            static_cast<long long>(r.receivedBytes), 100.0 * r.cpuMs / r.wallMs);
        ok &= bench::summaryAtMost("paced upgrade: wall over the line time",
                                   100.0 * (r.wallMs / lineMs - 1), "%", 2);
    }
    return ok ? 0 : 2;
}
