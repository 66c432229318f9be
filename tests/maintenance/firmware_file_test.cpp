// The firmware file's check, its record commands, the version gates and the
// transfer's bar and blink.
#include <gtest/gtest.h>

#include "files/firmware_file.h"

namespace nesmo::firmware {
namespace {

// A record with its checksum: ":" LL AAAA TT DD.. CC.
QByteArray record(int type, int address, const QByteArray& data, bool upper = true)
{
    QByteArray bytes;
    bytes += char(data.size());
    bytes += char(address >> 8);
    bytes += char(address & 0xFF);
    bytes += char(type);
    bytes += data;
    int sum = 0;
    for (const char b : bytes)
        sum += static_cast<unsigned char>(b);
    bytes += char((0x100 - (sum & 0xFF)) & 0xFF);
    const QByteArray hex = bytes.toHex();
    return ":" + (upper ? hex.toUpper() : hex);
}

const QByteArray kEnd = ":00000001FF";

QByteArray versionRecord(int minor, int major, bool upper = true)
{
    QByteArray data(16, '\0');
    data[0] = char(minor);
    data[1] = char(major);
    return record(0, 0x1000, data, upper);
}

TEST(FirmwareFile, RecordPartsAndCommand)
{
    const struct {
        int length, first;
    } splits[] = {{0, 0}, {1, 1}, {11, 5}, {43, 21}, {77, 39}};
    for (const auto& s : splits) {
        const QByteArray line(s.length, 'A');
        const auto [first, second] = recordParts(line);
        EXPECT_EQ(first.size(), s.first) << s.length;
        EXPECT_EQ(first + second, line) << s.length;
    }
    const QByteArray sixteen = record(0, 0x0100, QByteArray(16, '\x11'));
    ASSERT_EQ(sixteen.size(), 43);
    EXPECT_EQ(recordCommand(sixteen),
              "v 251 \"" + sixteen.left(21) + "\" \"" + sixteen.mid(21) + "\"\r");
}

TEST(FirmwareFile, VersionRecordAndGates)
{
    EXPECT_EQ(versionOf(versionRecord(0x1E, 0x01)), 130);
    EXPECT_EQ(versionOf(versionRecord(0x1A, 0x63)), 9926);
    EXPECT_EQ(versionOf(versionRecord(0x1a, 0x63, false)), 9926);  // lower-case hex
    EXPECT_FALSE(versionOf(record(0, 0x2000, QByteArray(16, '\0'))));
    EXPECT_FALSE(versionOf(kEnd));
    const QByteArray v9926 = versionRecord(0x1A, 0x63), v130 = versionRecord(0x1E, 0x01),
                     v129 = versionRecord(0x1D, 0x01), other = record(0, 0, "ab");
    const struct {
        int instrument;
        QByteArray first;
        Gate gate;
    } gates[] = {{0, v130, Gate::NeedsVersion9926},
                 {0, v9926, Gate::Pass},
                 {126, v130, Gate::NeedsVersion9926},
                 {126, other, Gate::Pass},
                 {127, v130, Gate::Pass},
                 {9926, v129, Gate::NeedsVersion130},
                 {9926, v130, Gate::Pass},
                 {9926, other, Gate::Pass}};
    for (const auto& g : gates)
        EXPECT_EQ(versionGate(g.instrument, g.first), g.gate)
            << g.instrument << g.first.constData();
}

TEST(FirmwareFile, CheckBeforeAnythingIsSent)
{
    const QByteArray a = record(0, 0, "\x01\x02\x03"), b = record(4, 0, QByteArray("\x00\x01", 2));
    // CR LF, LF and CR, a byte-order mark and blank lines.
    const HexFile good = checkHexText("\xEF\xBB\xBF" + a + "\r\n\r\n" + b + "\n" + kEnd + "\r");
    EXPECT_TRUE(good.error.isEmpty()) << good.error.toStdString();
    EXPECT_EQ(good.records, (QList<QByteArray>{a, b, kEnd}));
    // A last line without a line end, and a DOS end-of-file byte after it.
    for (const QByteArray& ending : {QByteArray(), QByteArray("\x1A"), QByteArray("\r\n\x1A\r\n")})
        EXPECT_EQ(checkHexText(a + "\n" + kEnd + ending).records, (QList<QByteArray>{a, kEnd}))
            << ending.toHex().constData();

    QByteArray badSum = a;
    badSum[badSum.size() - 1] = badSum.endsWith('0') ? '1' : '0';
    const struct {
        QByteArray text;
        const char* reason;
    } refused[] = {
        {a + "\n" + badSum + "\n" + kEnd,
         "Line 2 of the firmware file cannot be sent: its checksum"},
        {"0300000001020" + kEnd, "Line 1 of the firmware file cannot be sent: it does not start"},
        {a.left(a.size() - 2) + "\n" + kEnd,
         "Line 1 of the firmware file cannot be sent: its byte count"},
        {":0300000001020GF7\n" + kEnd, "not hex digits"},
        {record(6, 0, "x") + "\n" + kEnd, "record type 06 is unknown"},
        {":" + QByteArray(78, '0'), "79 characters long"},
        {kEnd + "\n" + a, "Line 2 of the firmware file cannot be sent: it comes after the end"},
        {a + "\n" + b, "ends without its end-of-file record"},
        {a + "\x1A\n" + kEnd, "whole record"},
        // Nothing to load: the instrument would erase its program for nothing.
        {"", "holds no firmware"},
        {kEnd, "holds no firmware"},
        {b + "\n" + kEnd + "\n", "holds no firmware"},
        // Each type but data has its own byte count; the end record sits at 0000.
        {a + "\n" + record(1, 0, "x"), "type 01 takes 0 data bytes, but it announces 1"},
        {record(2, 0, "x") + "\n" + a + "\n" + kEnd, "type 02 takes 2 data bytes"},
        {record(3, 0, "xyz") + "\n" + a + "\n" + kEnd, "type 03 takes 4 data bytes"},
        {record(4, 0, "xyz") + "\n" + a + "\n" + kEnd, "type 04 takes 2 data bytes"},
        {record(5, 0, "xy") + "\n" + a + "\n" + kEnd, "type 05 takes 4 data bytes"},
        {a + "\n" + record(1, 0x0100, ""), "address other than 0000"},
    };
    for (const auto& r : refused) {
        const HexFile f = checkHexText(r.text);
        EXPECT_TRUE(f.records.isEmpty()) << r.reason;
        EXPECT_TRUE(f.error.contains(QString::fromLatin1(r.reason))) << f.error.toStdString();
    }
}

TEST(FirmwareFile, BarWrapsAndLabelBlinks)
{
    EXPECT_EQ(barPosition(0), 0);
    EXPECT_EQ(barPosition(1), 10);
    EXPECT_EQ(barPosition(5887), 58870);
    EXPECT_EQ(barPosition(5888), 0);  // past its end the bar starts again
    EXPECT_EQ(barPosition(5889), 10);
    int counter = 0;
    QString shown;
    for (int i = 0; i < 15; ++i)
        shown += advanceBlink(counter) ? QLatin1Char('1') : QLatin1Char('0');
    EXPECT_EQ(shown, QStringLiteral("111111111000011"));
}

TEST(FirmwareFile, BackupAndRestoreByVersion)
{
    const struct {
        int version;
        bool backup, restore;
    } table[] = {{0, false, false}, {128, false, false}, {129, false, false}, {130, true, true},
                 {131, true, true}, {9925, true, true},  {9926, true, false}, {9927, true, true}};
    for (const auto& t : table) {
        EXPECT_EQ(backupSupported(t.version), t.backup) << t.version;
        EXPECT_EQ(restoreSupported(t.version), t.restore) << t.version;
    }
}

}  // namespace
}  // namespace nesmo::firmware
