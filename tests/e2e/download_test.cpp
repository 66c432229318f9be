#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

#include "e2e/dump_rig.h"
#include "logged_data/data_text_page.h"
#include "shell/main_page.h"
#include "shell/main_window.h"
#include "support/test_support.h"

namespace nesmo::test {
namespace {

QByteArray sample(const char* name)
{
    return readFile(QStringLiteral(NESMO_TEST_DATA "/samples/") + QString::fromLatin1(name));
}

TEST(Download, SampleTagIsCapturedAsTheInstrumentSendsIt)
{
    DumpRig rig({});
    ASSERT_TRUE(rig.sim->ready());
    EXPECT_EQ(rig.window->link().SendCommand("tagdump  9 \r"), 1);
    const QByteArray expected = sample("dump-tag9.scratch.txt");
    EXPECT_EQ(rig.scratch(), expected);
    EXPECT_EQ(rig.text(), QString::fromLatin1(expected));
    EXPECT_EQ(rig.state.CurrentFileName, QStringLiteral("UNT00009.txt"));
    EXPECT_EQ(rig.panel(0), QStringLiteral("UNT00009.txt"));
    EXPECT_TRUE(rig.panel(1).isEmpty());
    EXPECT_EQ(rig.window->PageControl()->currentIndex(), 1);
    EXPECT_FALSE(rig.state.Downloading);
    EXPECT_TRUE(rig.dialogs.messages.isEmpty()) << rig.dialogs.messages.join('|').toStdString();
}

TEST(Download, NumberedLinesOfAnRs485Instrument)
{
    DumpRig rig({"--device", "3"}, "DeviceFilter=1\nDeviceNumber=3\n");
    ASSERT_TRUE(rig.sim->ready());
    EXPECT_EQ(rig.state.DeviceFilterNumber, 3);
    EXPECT_EQ(rig.state.FirmwareVersion, 128);  // the first version reply was heard
    EXPECT_EQ(rig.window->link().SendCommand("tagdump  9 \r"), 1);
    EXPECT_EQ(rig.scratch(), sample("dump-tag9-device3.scratch.txt"));
    EXPECT_EQ(rig.state.CurrentFileName, QStringLiteral("UNT00309.txt"));
}

// Decodes the records of a raw dump on its own, as a second opinion on what the
// program captured: blanks, the record number, 0xDF and nine bytes.
struct RawRecord {
    int number;
    float value;
    int tenths, rh, pressure;
};

QList<RawRecord> decodeRaw(const QByteArray& raw)
{
    QList<RawRecord> out;
    const QByteArray title = "pressure\r\n";
    qsizetype p = raw.indexOf(title);
    if (p < 0) return out;
    p += title.size();
    while (p < raw.size() && raw[p] == ' ') {
        while (p < raw.size() && raw[p] == ' ')
            ++p;
        RawRecord r{};
        while (p < raw.size() && raw[p] >= '0' && raw[p] <= '9')
            r.number = r.number * 10 + (raw[p++] - '0');
        if (p + 12 > raw.size() || raw[p] != '\xDF') break;
        const char* b = raw.constData() + p + 1;
        std::memcpy(&r.value, b, 4);
        r.tenths =
            static_cast<qint16>(static_cast<quint8>(b[4]) | (static_cast<quint8>(b[5]) << 8));
        r.rh = static_cast<quint8>(b[6]);
        r.pressure = static_cast<quint8>(b[7]);
        out << r;
        p += 10;
        if (raw.mid(p, 2) != "\r\n") break;
        p += 2;
    }
    return out;
}

TEST(Download, TrickyBytesRoundTripIntoTheCaptureFile)
{
    QTemporaryDir rawDir;
    QByteArray raw;
    {
        // What the simulator sends for the tag, read straight off the wire.
        const QString tty = rawDir.filePath("tty");
        SimProcess sim({"--pty", tty, "--tricky-tag", "12:300"});
        ASSERT_TRUE(sim.ready());
        QSerialPort port(tty);
        ASSERT_TRUE(port.open(QIODevice::ReadWrite));
        port.write("tagdump 12 \r");
        waitUntil([&] {
            raw += port.readAll();
            return raw.endsWith("\r\n>");
        });
    }
    const QList<RawRecord> records = decodeRaw(raw);
    ASSERT_EQ(records.size(), 300);
    for (char c : {'\r', '\n', '"', '>', '\xDF'}) {
        const QByteArray bodies = raw.mid(raw.indexOf("pressure"));
        EXPECT_GT(bodies.count(c), 300) << int(c);
    }

    DumpRig rig({"--tricky-tag", "12:300"});
    ASSERT_TRUE(rig.sim->ready());
    EXPECT_EQ(rig.window->link().SendCommand("tagdump 12 \r"), 1);
    const QList<QByteArray> lines = rig.scratch().split('\n');
    ASSERT_EQ(lines.size(), 15 + 300 + 1);  // headers, records, the end after the last line feed
    EXPECT_EQ(rig.state.CurrentFileName, QStringLiteral("UNT00012.txt"));
    static const QRegularExpression layout(
        QStringLiteral("^ +(\\d+), +(-?\\d+\\.\\d\\d), +(-?\\d+\\.\\d), +(\\d+), +(\\d+) ,  "
                       "(\\d\\d):(\\d\\d):(\\d\\d),  \\d\\d-[A-Z][a-z]{2}-\\d{4} $"));
    int previousSeconds = -1;
    for (int i = 0; i < 300; ++i) {
        const QString line = QString::fromLatin1(lines[15 + i]);
        const QRegularExpressionMatch m = layout.match(line);
        ASSERT_TRUE(m.hasMatch()) << line.toStdString();
        const RawRecord& r = records[i];
        EXPECT_EQ(m.captured(1).toInt(), r.number);
        EXPECT_EQ(m.captured(2), QString::asprintf("%.2f", static_cast<double>(r.value)));
        EXPECT_EQ(m.captured(3), QString::asprintf("%.1f", r.tenths * 0.1));
        EXPECT_EQ(m.captured(4).toInt(), r.rh);
        EXPECT_EQ(m.captured(5).toInt(), (r.pressure + 200) * 2);
        const int seconds =
            m.captured(6).toInt() * 3600 + m.captured(7).toInt() * 60 + m.captured(8).toInt();
        if (previousSeconds >= 0) {
            EXPECT_NE(seconds, previousSeconds);
        }
        previousSeconds = seconds;
    }
    EXPECT_EQ(rig.text().count('\n'), 15 + 300);
}

TEST(Download, CutDumpStaysOpenUntilTheNextKeywordLine)
{
    DumpRig rig({"--cut-dump"});
    ASSERT_TRUE(rig.sim->ready());
    EXPECT_EQ(rig.window->link().SendCommand("tagdump  9 \r"), 0);
    EXPECT_TRUE(rig.state.Downloading);
    EXPECT_EQ(rig.panel(1), QStringLiteral("0"));  // header lines count down too
    // The 3 s watchdog ends the reply; the next reply's keyword line ends the capture.
    ASSERT_TRUE(waitUntil([&] { return rig.state.ReplyComplete; }, 4000));
    EXPECT_EQ(rig.window->link().SendCommand("v 157\r"), 1);
    EXPECT_FALSE(rig.state.Downloading);
    const QByteArray expected = sample("dump-tag9.scratch.txt");
    const QByteArray withoutLast = expected.left(expected.lastIndexOf("    6,"));
    EXPECT_EQ(rig.scratch(), withoutLast);
    EXPECT_EQ(rig.text().toLatin1(), withoutLast);
}

}  // namespace
}  // namespace nesmo::test
