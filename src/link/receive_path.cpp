#include "link/receive_path.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "core/bytes.h"
#include "core/date_time.h"

namespace nesmo {

namespace {

constexpr char kPrompt = '>';
constexpr unsigned char kRecordMarker = 0xDF;
constexpr int kRecordSize = 10;
constexpr size_t kTerminalBlock = 64 * 1024;

// Reads an integer the way "%i" does (leading white space, optional sign,
// decimal, 0x hex or 0 octal), without the undefined behaviour of scanf on
// overflow: values beyond 32 bits are clamped.
bool scanInt(const char* p, int& out)
{
    // Blanks and a decimal number, as a record line starts: without strtoll.
    const char* q = p;
    while (*q == ' ')
        ++q;
    if (*q >= '1' && *q <= '9') {
        long long v = 0;
        int digits = 0;
        for (; *q >= '0' && *q <= '9' && digits < 18; ++q, ++digits)
            v = v * 10 + (*q - '0');
        if (!(*q >= '0' && *q <= '9')) {
            out = static_cast<int>(std::min<long long>(v, INT_MAX));
            return true;
        }
    }
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(p, &end, 0);
    if (end == p) return false;
    out = static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
    return true;
}

// A record line once its device number is gone: a blank, perhaps more blanks,
// then the record number.
bool isNumberedRecordLine(const QByteArray& line)
{
    qsizetype i = 0;
    while (i < line.size() && line[i] == ' ')
        ++i;
    return i > 0 && i < line.size() && line[i] >= '0' && line[i] <= '9';
}

// A whole number of tenths (divisor 10) or hundredths (100) as "-12.5" or
// "0.07": the sign, the whole part, the point and the fraction's digits.
qsizetype fixedPointText(char* buf, long long units, int divisor, bool negative = false)
{
    negative |= units < 0;
    const unsigned long long magnitude = units < 0 ? 0ULL - static_cast<unsigned long long>(units)
                                                   : static_cast<unsigned long long>(units);
    char* p = buf;
    if (negative) *p++ = '-';
    p = std::to_chars(p, buf + 32, magnitude / static_cast<unsigned>(divisor)).ptr;
    *p++ = '.';
    unsigned fraction = static_cast<unsigned>(magnitude % static_cast<unsigned>(divisor));
    for (int d = divisor / 10; d > 0; d /= 10) {
        *p++ = static_cast<char>('0' + fraction / static_cast<unsigned>(d));
        fraction %= static_cast<unsigned>(d);
    }
    return p - buf;
}

// A float as printf's "%.2f" writes it. A float times 100 is exact in a double
// (24 + 7 bits), so rounding that product to a whole number, ties to even, is
// printf's rounding of the exact value; the sign is the float's own, as printf
// writes "-0.00" for -0.001. Values too large for that take the long way.
qsizetype hundredthsText(char* buf, size_t size, float value)
{
    const double hundredths = static_cast<double>(value) * 100.0;
    if (!(std::fabs(hundredths) < 9.0e18))
        return std::to_chars(buf, buf + size, static_cast<double>(value), std::chars_format::fixed,
                             2)
                   .ptr -
               buf;
    return fixedPointText(buf, std::llrint(hundredths), 100, std::signbit(value));
}

}  // namespace

ReceivePath::ReceivePath(AppState& state, ReplyQueue& queue, InstrumentView& view,
                         ReceiveHost& host, DownloadCapture& capture)
    : state_(state), queue_(queue), view_(view), host_(host), capture_(capture)
{
}

QByteArray ReceivePath::recordText(const unsigned char r[10])
{
    char out[kMaxRecordText];
    return QByteArray(out, writeRecordText(r, out));
}

qsizetype ReceivePath::writeRecordText(const unsigned char r[10], char* out)
{
    float value;
    std::memcpy(&value, r + 1, sizeof value);  // little-endian, as on every host we run on
    const qint16 temperature = static_cast<qint16>(r[5] | (r[6] << 8));
    const int humidity = r[7];
    const int pressureCode = r[8];
    const double concentration = static_cast<double>(value);
    if (!std::isfinite(concentration)) {
        const int n =
            std::snprintf(out, size_t(kMaxRecordText), ", %10.2f, %5.1f, %4i, %5.0f   ",
                          concentration, temperature * 0.1, humidity, (pressureCode + 200) * 2.0);
        return qBound(0, n, int(kMaxRecordText) - 1);
    }
    // The same characters as printf's ", %10.2f, %5.1f, %4i, %5.0f   ", written
    // without printf: this runs once for every record of a download. The
    // longest float takes 42 characters, the line well under kMaxRecordText.
    char* at = out;
    const auto field = [&at](const char* text, qsizetype n, int width) {
        *at++ = ',';
        *at++ = ' ';
        for (qsizetype pad = width - n; pad > 0; --pad)
            *at++ = ' ';
        std::memcpy(at, text, size_t(n));
        at += n;
    };
    char buf[64];
    field(buf, hundredthsText(buf, sizeof buf, value), 10);
    // Tenths of a degree: printf's rounding of temperature * 0.1 to one decimal
    // gives back the tenths.
    field(buf, fixedPointText(buf, temperature, 10), 5);
    field(buf, std::to_chars(buf, buf + sizeof buf, humidity).ptr - buf, 4);
    field(buf, std::to_chars(buf, buf + sizeof buf, pressureCode * 2 + 400).ptr - buf, 5);
    std::memcpy(at, "   ", 3);
    return at + 3 - out;
}

void ReceivePath::onCharactersAvailable(const char* data, qsizetype n)
{
    state_.ReplyComplete = false;
    host_.restartWatchdog();
    terminalKept_ = host_.terminalKept();

    bool activity = false;
    qsizetype read = 0;
    while (read < n) {
        // The text of a finished binary record enters before the next port character.
        if (pendingPos_ < pendingSize_) {
            activity |= enterText(pendingText_ + pendingPos_, pendingSize_ - pendingPos_);
            pendingPos_ = pendingSize_;
        }
        if (binaryBytesLeft_ > 0) {
            const qsizetype take = qMin<qsizetype>(binaryBytesLeft_, n - read);
            std::memcpy(record_ + (kRecordSize - binaryBytesLeft_), data + read, size_t(take));
            read += take;
            binaryBytesLeft_ -= static_cast<int>(take);
            if (binaryBytesLeft_ == 0) {
                pendingSize_ = writeRecordText(record_, pendingText_);
                pendingPos_ = 0;
            }
            continue;
        }
        if (static_cast<unsigned char>(data[read]) == kRecordMarker && !state_.InQuotes) {
            record_[0] = kRecordMarker;
            binaryBytesLeft_ = kRecordSize - 1;
            ++read;
            continue;
        }
        // Up to the next record marker, or all of it.
        const void* marker = std::memchr(data + read + 1, kRecordMarker, size_t(n - read - 1));
        const qsizetype end = marker ? static_cast<const char*>(marker) - data : n;
        activity |= enterText(data + read, end - read);
        read = end;
    }
    if (pendingPos_ >= pendingSize_) pendingSize_ = pendingPos_ = 0;

    // Every ordinary character restarts the reply timer; doing it once for the
    // whole notification gives the same deadline.
    if (activity) host_.restartReplyTimer();
    flushTerminal();
    capture_.flush();
    reportCaptureError();
}

bool ReceivePath::enterText(const char* p, qsizetype n)
{
    // Runs of ordinary characters go to the line, the queue and the terminal at
    // once; the characters that change state go through handleCharacter().
    static constexpr auto kSpecial = [] {
        std::array<bool, 256> t{};
        for (char c : {'\r', '\n', '"', kPrompt})
            t[static_cast<unsigned char>(c)] = true;
        return t;
    }();
    bool activity = false;
    const char* const end = p + n;
    while (p < end) {
        const char* q = p;
        while (q < end && !kSpecial[static_cast<unsigned char>(*q)])
            ++q;
        if (q > p) {
            const qsizetype run = q - p;
            const qsizetype room = kMaxLine - rxLine_.size();
            if (room > 0) appendBytes(rxLine_, QByteArrayView(p, qMin(run, room)));
            queue_.push(p, run);
            if (terminalKept_) {
                terminalOut_.append(p, run);
                // A notification may carry a megabyte of dump: the terminal gets
                // it in blocks, so that the text waiting for it stays small.
                if (terminalOut_.size() >= kTerminalBlock) flushTerminal();
            }
            activity = true;
            p = q;
            continue;
        }
        const char c = *p++;
        if (c != '\r' && c != '"' && !(c == kPrompt && !state_.InQuotes)) activity = true;
        handleCharacter(c);
    }
    return activity;
}

void ReceivePath::handleCharacter(char c)
{
    const bool prompt = c == kPrompt && !state_.InQuotes;
    if (c != '\n') {
        if (rxLine_.size() < kMaxLine) rxLine_.append(c);
        if (!prompt) queue_.push(c);
        if (terminalKept_) terminalOut_.push_back(c);
    }
    if (c == '\r') {
        lineEnd();
    } else if (c == '"') {
        state_.InQuotes = !state_.InQuotes;
    } else if (prompt) {
        state_.ReplyComplete = true;
        // A dump of a tag without records has no last record to end it.
        if (state_.Downloading && state_.RecordCount == 0) EndDownload();
        flushTerminal();
        host_.promptReceived();
    }
}

void ReceivePath::lineEnd()
{
    if (rxLine_.endsWith('\r')) rxLine_.chop(1);
    if (parseReplies_) parseReplies_();
    if (state_.Downloading) {
        captureLine(rxLine_);
    } else if (state_.TerminalHiddenByDownload) {
        flushTerminal();
        host_.setTerminalVisible(true);
        state_.TerminalHiddenByDownload = false;
    }
    rxLine_.truncate(0);  // keeps its storage for the next line
    state_.InQuotes = false;
}

void ReceivePath::captureLine(QByteArrayView received)
{
    QByteArray& line = line_;  // reused from line to line
    line.truncate(0);
    appendBytes(line, received);
    line.append('\n');
    if (host_.terminalVisible()) {
        flushTerminal();
        host_.setTerminalVisible(false);
        state_.TerminalHiddenByDownload = true;
    }

    // Lines numbered by an RS-485 device number lose the number; the blank stays.
    const bool numbered = !state_.KeepLinePrefix;
    if (numbered) {
        const qsizetype blank = line.indexOf(' ');
        if (blank > 0) line.remove(0, blank);
    }

    // The stamp replaces the last two characters before the line feed and the line feed.
    const auto stamp = [&line](double serial) {
        line.truncate(qMax<qsizetype>(0, line.size() - 3));
        datetime::appendCaptureStamp(line, serial);
    };
    const bool recordLine = numbered ? isNumberedRecordLine(line) : line.startsWith(' ');
    if (state_.Alarm128Visible && line.contains('@')) {
        // Old firmware counts its "@" lines itself.
        int count = 0;
        const qsizetype comma = line.indexOf(',');
        bool ok = false;
        if (comma >= 0) {
            const char* p = line.constData() + comma + 1;
            ok = scanInt(p, count);
        }
        if (!ok) {
            count = 0;
            view_.postMessage(QStringLiteral("failed getting @ count"));
        }
        // A record line takes the record's own stamp below.
        if (!recordLine) stamp(state_.RecordTime + count * state_.RecordPeriod);
    }
    if (recordLine) {
        state_.RecordTime += state_.RecordPeriod;
        stamp(state_.RecordTime);
        // At the first record the header has told how many follow (a tag holds
        // at most 65,535): room for them all at once.
        if (!captureReserved_) {
            captureReserved_ = true;
            const qsizetype records = qBound(0, state_.RecordsLeft, 65535);
            capture_.reserve(records * (line.size() + 2));
        }
    }

    capture_.writeLine(line);

    if (state_.RecordsLeft > INT_MIN) --state_.RecordsLeft;  // a huge announced count must not wrap
    view_.setRecordsLeft(qMax(state_.RecordsLeft, 0));
    view_.stepDownloadProgress(line);

    int leading = -1;
    if (!scanInt(line.constData(), leading)) leading = -1;
    if (leading == state_.RecordCount) EndDownload();
}

void ReceivePath::reset()
{
    flushTerminal();
    if (state_.Downloading) EndDownload();
    rxLine_.clear();
    queue_.clear();
    state_.InQuotes = false;
    binaryBytesLeft_ = 0;
    std::fill(std::begin(record_), std::end(record_), 0);
    pendingSize_ = pendingPos_ = 0;
}

void ReceivePath::startCapture()
{
    capture_.start();
    captureReserved_ = false;
    state_.Downloading = true;
    reportCaptureError();
}

void ReceivePath::EndDownload()
{
    state_.Downloading = false;
    capture_.close();
    view_.setDataText(capture_.text());
    view_.setDataStatus(1, QString());
    host_.downloadEnded();
    view_.hideDownloadProgress();
    reportCaptureError();
}

void ReceivePath::flushTerminal()
{
    if (terminalOut_.empty()) return;
    host_.terminalWrite(terminalOut_.data(), qsizetype(terminalOut_.size()));
    terminalOut_.clear();
}

void ReceivePath::reportCaptureError()
{
    if (!capture_.takeErrorToReport()) return;
    view_.postMessage(
        QStringLiteral("The download could not be written to the file %1:\n%2\n\n"
                       "Nothing is lost: the received data is kept and shown on the Data text "
                       "page when the download ends; save it from there with Save As.")
            .arg(capture_.path(), capture_.error()));
}

}  // namespace nesmo
