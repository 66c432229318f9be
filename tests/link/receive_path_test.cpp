#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "core/date_time.h"
#include "link/receive_rig.h"
#include "support/test_support.h"

namespace nesmo::test {
namespace {

QByteArray sample(const char* name)
{
    return readFile(QStringLiteral(NESMO_TEST_DATA "/samples/") + QString::fromLatin1(name));
}

QByteArray record(float value, qint16 tenths, quint8 rh, quint8 pressure)
{
    QByteArray r(10, '\0');
    r[0] = static_cast<char>(0xDF);
    std::memcpy(r.data() + 1, &value, 4);
    r[5] = static_cast<char>(tenths & 0xFF);
    r[6] = static_cast<char>((tenths >> 8) & 0xFF);
    r[7] = static_cast<char>(rh);
    r[8] = static_cast<char>(pressure);
    return r;
}

double serial(int y, int mo, int d, int h, int mi, int s)
{
    double date = 0;
    datetime::encodeDate(y, mo, d, date);
    return date + datetime::encodeTime(h, mi, s);
}

TEST(ReceivePathGolden, SampleDumpsGiveTheirCaptureFiles)
{
    for (int device : {0, 3}) {
        SCOPED_TRACE(device);
        ReceiveRig rig;
        rig.state.DeviceFilterNumber = device;
        const QByteArray reply =
            sample(device ? "dump-tag9-device3.reply.bin" : "dump-tag9.reply.bin");
        const QByteArray expected =
            sample(device ? "dump-tag9-device3.scratch.txt" : "dump-tag9.scratch.txt");
        ASSERT_FALSE(reply.isEmpty());
        rig.feed(reply);
        EXPECT_FALSE(rig.state.Downloading);
        EXPECT_TRUE(rig.state.ReplyComplete);
        EXPECT_EQ(rig.capture.text(), expected);
        EXPECT_EQ(readFile(rig.capture.path()), expected);
        EXPECT_EQ(rig.view.dataText, expected);
        EXPECT_EQ(rig.state.CurrentFileName,
                  device ? QStringLiteral("UNT00309.txt") : QStringLiteral("UNT00009.txt"));
        EXPECT_EQ(rig.host.downloadsEnded, 1);
        EXPECT_TRUE(rig.view.messages.isEmpty()) << rig.view.messages.join('|').toStdString();

        // Captured to the file alone, in the pieces the port might give: the
        // lines end as Save As ends them, and no copy is kept in memory.
        ReceiveRig fileOnly;
        fileOnly.state.DeviceFilterNumber = device;
        fileOnly.capture.setKeep(DownloadCapture::Keep::FileOnly);
        fileOnly.feedChunks(reply, 7);
        EXPECT_TRUE(fileOnly.capture.text().isEmpty());
        EXPECT_EQ(readFile(fileOnly.capture.path()), QByteArray(expected).replace("\n", "\r\n"));
        EXPECT_EQ(fileOnly.capture.size(), expected.size());
        EXPECT_EQ(fileOnly.capture.lastLine(), expected.mid(expected.lastIndexOf('\n', -2) + 1));
    }
}

TEST(ReceivePathChunking, DeliveryDoesNotChangeWhatComesOut)
{
    // A reply with a prompt inside quotes, an unanswered variable, then a dump.
    const QByteArray stream = QByteArray("V 141 SERIALNUMBER \"20>71\"\r\nV 144 \"1.28\"\r\n>") +
                              sample("dump-tag9.reply.bin") + QByteArray("V 157 ON\r\n>");
    auto run = [&](int how, quint32 seed) {
        auto rig = std::make_unique<ReceiveRig>();
        if (how == 0) rig->feed(stream);
        if (how == 1) rig->feedBytewise(stream);
        if (how == 2) rig->feedChunks(stream, seed);
        return rig;
    };
    auto whole = run(0, 0);
    for (int how : {1, 2, 2, 2}) {
        for (quint32 seed : {1u, 7u, 99u}) {
            auto other = run(how, seed);
            EXPECT_EQ(other->capture.text(), whole->capture.text());
            EXPECT_EQ(other->host.terminal, whole->host.terminal);
            EXPECT_EQ(other->view.dataText, whole->view.dataText);
            EXPECT_EQ(other->state.InstrumentRunning, whole->state.InstrumentRunning);
            EXPECT_EQ(other->state.FirmwareVersion, whole->state.FirmwareVersion);
            EXPECT_EQ(other->host.prompts, whole->host.prompts);
            if (how == 1) break;
        }
    }
    EXPECT_EQ(whole->state.FirmwareVersion, 128);
    EXPECT_TRUE(whole->state.InstrumentRunning);
    EXPECT_EQ(whole->host.prompts, 3);
}

TEST(ReceivePathRecords, RecordTextFieldsAndWidths)
{
    const unsigned char r[10] = {0xDF, 0x00, 0x00, 0x80, 0x3F, 0xEB, 0x00, 0x2D, 0xB4, 0x55};
    const QByteArray text = ReceivePath::recordText(r);
    EXPECT_EQ(text, QByteArray(",       1.00,  23.5,   45,   760   "));
    EXPECT_EQ(text.size(), 35);

    const QByteArray low = record(0.0f, -125, 0, 0).mid(0);
    const QByteArray high = record(12.5f, 301, 100, 255);
    EXPECT_TRUE(ReceivePath::recordText(reinterpret_cast<const unsigned char*>(low.constData()))
                    .contains("-12.5,    0,   400"));
    EXPECT_TRUE(ReceivePath::recordText(reinterpret_cast<const unsigned char*>(high.constData()))
                    .contains("12.50,  30.1,  100,   910"));

    // Exactly printf's text for any bytes: halfway values, huge, negative,
    // non-finite and random ones.
    std::mt19937 random(7);
    for (int i = 0; i < 200000; ++i) {
        unsigned char b[10];
        for (unsigned char& x : b)
            x = static_cast<unsigned char>(random());
        if (i < 8) {
            const float special[8] = {0.125f,   2.675f,   -0.005f, 1e30f,
                                      -3.4e38f, INFINITY, NAN,     -0.0f};
            std::memcpy(b + 1, &special[i], 4);
        } else if (i % 2) {
            const float v = static_cast<float>(random() % 2000000) / 1000.0f;  // x.xx5 often
            std::memcpy(b + 1, &v, 4);
        }
        float v;
        std::memcpy(&v, b + 1, 4);
        char expected[400];
        const int n =
            std::snprintf(expected, sizeof expected, ", %10.2f, %5.1f, %4i, %5.0f   ", double(v),
                          qint16(b[5] | (b[6] << 8)) * 0.1, int(b[7]), (b[8] + 200) * 2.0);
        ASSERT_EQ(ReceivePath::recordText(b), QByteArray(expected, n)) << i;
    }
}

TEST(ReceivePathRecords, RecordEndingANotificationEntersBeforeTheNextCharacter)
{
    ReceiveRig rig;
    rig.feed(QByteArray("    1") + record(1.0f, 235, 45, 180));
    // The record's text waits for the next notification.
    EXPECT_EQ(rig.host.terminal, QByteArray("    1"));
    EXPECT_EQ(rig.rx.rxLine(), QByteArray("    1"));
    rig.feed("\r\n");
    EXPECT_EQ(rig.host.terminal, QByteArray("    1,       1.00,  23.5,   45,   760   \r"));
}

TEST(ReceivePathPrompt, PromptInsideQuotesIsTextOutsideEndsTheReply)
{
    ReceiveRig rig;
    rig.feed("\"a>b\"");
    EXPECT_FALSE(rig.state.ReplyComplete);
    EXPECT_EQ(rig.queue.size(), 5);
    rig.feed("\r\n");
    EXPECT_FALSE(rig.state.ReplyComplete);
    rig.feed(">");
    EXPECT_TRUE(rig.state.ReplyComplete);
    EXPECT_EQ(rig.queue.size(), 0);  // the prompt is not queued, the line was parsed
    EXPECT_EQ(rig.host.prompts, 1);

    // Each notification clears ReplyComplete first.
    rig.feed("x");
    EXPECT_FALSE(rig.state.ReplyComplete);
    EXPECT_EQ(rig.host.watchdogRestarts, 4);
}

TEST(ReceivePathRecords, MarkerInsideQuotesIsText)
{
    ReceiveRig rig;
    rig.feed("\"Na\xDFme\"");
    EXPECT_EQ(rig.rx.rxLine(), QByteArray("\"Na\xDFme\""));
    EXPECT_EQ(rig.host.terminal, QByteArray("\"Na\xDFme\""));
}

TEST(ReceivePathCapture, TimeStampRollsOverIntoTheNewYear)
{
    ReceiveRig rig;
    rig.state.Downloading = true;
    rig.state.KeepLinePrefix = true;
    rig.state.RecordCount = 5;
    rig.state.RecordsLeft = 5;
    rig.state.RecordTime = serial(2004, 12, 31, 23, 59, 30);
    rig.state.RecordPeriod = datetime::encodeTime(0, 1, 0);
    rig.capture.start();
    rig.feed(QByteArray("    1") + record(0.08f, 212, 38, 177) + "\r\n");
    EXPECT_EQ(rig.capture.text(),
              QByteArray("    1,       0.08,  21.2,   38,   754 ,  00:00:30,  01-Jan-2005 \n"));
    EXPECT_EQ(rig.view.dataStatus[1], QStringLiteral("4"));
    EXPECT_EQ(rig.view.progressPosition, 1);
}

TEST(ReceivePathCapture, RecordsStillExpectedNeverGoBelowZero)
{
    // More lines follow the "Number" line than it announced.
    ReceiveRig rig;
    rig.state.Downloading = true;
    rig.state.KeepLinePrefix = true;
    rig.state.RecordCount = 1;
    rig.state.RecordsLeft = 1;
    rig.capture.start();
    rig.feed("\"Log Period  \", 00:00:30\r\n\"Start Time  \", 23:58:30\r\nrecord, a, b\r\n");
    EXPECT_EQ(rig.view.dataStatus[1], QStringLiteral("0"));
    EXPECT_TRUE(rig.state.Downloading);
}

TEST(ReceivePathCapture, TerminalHiddenDuringDownloadAndShownAfter)
{
    ReceiveRig rig;
    rig.host.visible = true;
    rig.state.Downloading = true;
    rig.state.KeepLinePrefix = true;
    rig.state.RecordCount = 1;
    rig.capture.start();
    rig.feed(QByteArray("    1") + record(1, 1, 1, 1) + "\r\n");
    EXPECT_FALSE(rig.host.visible);
    EXPECT_TRUE(rig.state.TerminalHiddenByDownload);
    EXPECT_FALSE(rig.state.Downloading);  // record 1 of 1 ended it
    rig.feed(">");
    rig.feed("TAG 3 ON\r\n");
    EXPECT_TRUE(rig.host.visible);
    EXPECT_FALSE(rig.state.TerminalHiddenByDownload);
    // Hidden again by the operator, it stays hidden while lines arrive.
    rig.host.visible = false;
    rig.feed("TAG 3 ON\r\n");
    EXPECT_FALSE(rig.host.visible);
}

TEST(ReceivePathCapture, OldFirmwareCountLines)
{
    ReceiveRig rig;
    rig.state.Alarm128Visible = true;
    rig.state.Downloading = true;
    rig.state.KeepLinePrefix = true;
    rig.state.RecordCount = 99;
    rig.state.RecordTime = serial(2021, 6, 9, 10, 0, 0);
    rig.state.RecordPeriod = datetime::encodeTime(0, 0, 10);
    rig.capture.start();
    rig.feed("@ event, 3 xx\r\n");
    rig.feed("@ broken\r\n");
    EXPECT_EQ(rig.capture.text(), QByteArray("@ event, 3 ,  10:00:30,  09-Jun-2021 \n"
                                             "@ brok,  10:00:00,  09-Jun-2021 \n"));
    EXPECT_EQ(rig.view.messages, QStringList{QStringLiteral("failed getting @ count")});
}

TEST(ReceivePathCapture, ZeroRecordTagEndsAtThePrompt)
{
    ReceiveRig rig;
    rig.feed(
        "\"Model Number\", \"Nesmo-7   \"\r\n\"Number      \", 0\r\n"
        "record, concentration, temperature, RH, pressure\r\n");
    EXPECT_TRUE(rig.state.Downloading);
    rig.feed(">");
    EXPECT_FALSE(rig.state.Downloading);
    EXPECT_TRUE(rig.view.dataText.startsWith("\"Model Number\""));
}

TEST(ReceivePathCapture, CutDumpStaysOpenUntilTheNextKeywordLine)
{
    ReceiveRig rig;
    QByteArray dump = sample("dump-tag9.reply.bin");
    const qsizetype last = dump.indexOf("    6");
    rig.feed(dump.left(last));
    EXPECT_TRUE(rig.state.Downloading);
    rig.feed("V 157 OFF\r\n>");
    EXPECT_FALSE(rig.state.Downloading);
    EXPECT_EQ(rig.view.dataText.count('\n'), 15 + 5);
    EXPECT_TRUE(rig.view.dataText.contains("    5,      12.50"));
}

TEST(ReceivePathTimers, OnlyOrdinaryCharactersRestartTheReplyTimer)
{
    ReceiveRig rig;
    // A carriage return, a quote pair, the prompt and a binary record's bytes: no restart.
    for (const QByteArray& quiet : {QByteArray("\r"), QByteArray("\"\""), QByteArray(">"),
                                    QByteArray("\xDF"
                                               "123456789",
                                               10)}) {
        rig.feed(quiet);
        EXPECT_EQ(rig.host.replyTimerRestarts, 0) << quiet.toHex().constData();
    }
    // A line feed and a letter each restart it, once per notification.
    rig.feed("\n");
    EXPECT_EQ(rig.host.replyTimerRestarts, 1);
    rig.feed("ab");
    EXPECT_EQ(rig.host.replyTimerRestarts, 2);
    // The watchdog restarts at every notification.
    EXPECT_EQ(rig.host.watchdogRestarts, 6);
}

TEST(ReceivePathCapture, ANewConnectionEndsTheCaptureAndDropsWhatIsHalfReceived)
{
    ReceiveRig rig;
    const QByteArray dump = sample("dump-tag9.reply.bin");
    const qsizetype marker = dump.indexOf('\xDF');
    ASSERT_GT(marker, 0);
    rig.feed(dump.left(marker + 4));  // cut inside a binary record
    ASSERT_TRUE(rig.state.Downloading);
    rig.rx.reset();
    EXPECT_FALSE(rig.state.Downloading);
    EXPECT_EQ(rig.view.dataText, readFile(rig.capture.path()));
    // The first reply of the new connection is read whole.
    rig.feed("V 144 \"1.26\"\r\n>");
    EXPECT_EQ(rig.state.FirmwareVersion, 126);
}

TEST(ReceivePathCapture, UnwritableScratchFileIsReportedAndNothingIsLost)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("plain"), "x");
    ReceiveRig rig(dir.filePath("plain/scratch.txt"));  // a folder that is a file
    rig.feed(sample("dump-tag9.reply.bin"));
    ASSERT_EQ(rig.view.messages.size(), 1);
    EXPECT_TRUE(rig.view.messages[0].contains("could not be written"));
    EXPECT_EQ(rig.view.dataText, sample("dump-tag9.scratch.txt"));
}

TEST(ReceivePathBadInput, LongLinesFloodsAndBinaryStayBounded)
{
    ReceiveRig rig;
    rig.feed(QByteArray(200000, 'A'));
    EXPECT_EQ(rig.rx.rxLine().size(), ReceivePath::kMaxLine);
    EXPECT_LE(rig.queue.size(), 70000);
    rig.feed("\r\n>");
    EXPECT_EQ(rig.rx.rxLine(), QByteArray(">"));
    EXPECT_TRUE(rig.state.ReplyComplete);

    // Endless record markers, NUL bytes and random binary.
    rig.feed(QByteArray(100000, '\xDF'));
    rig.feed(QByteArray(1000, '\0'));
    QRandomGenerator rng(42);
    QByteArray noise(200000, '\0');
    for (char& c : noise)
        c = static_cast<char>(rng.bounded(256));
    rig.feed(noise);
    rig.feed("\"\r\n>");
    EXPECT_LE(rig.rx.rxLine().size(), ReceivePath::kMaxLine);
    EXPECT_LE(rig.queue.size(), 70000);
}

}  // namespace
}  // namespace nesmo::test
