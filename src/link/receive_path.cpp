#include "link/receive_path.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/date_time.h"

namespace nesmo {

namespace {

constexpr char kPrompt = '>';
constexpr unsigned char kRecordMarker = 0xDF;
constexpr int kRecordSize = 10;

// Reads an integer the way "%i" does (leading white space, optional sign,
// decimal, 0x hex or 0 octal), without the undefined behaviour of scanf on
// overflow: values beyond 32 bits are clamped.
bool scanInt(const char* p, int& out)
{
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

}  // namespace

ReceivePath::ReceivePath(AppState& state, ReplyQueue& queue, InstrumentView& view,
                         ReceiveHost& host, DownloadCapture& capture)
    : state_(state), queue_(queue), view_(view), host_(host), capture_(capture)
{
}

QByteArray ReceivePath::recordText(const unsigned char r[10])
{
    float value;
    std::memcpy(&value, r + 1, sizeof value);  // little-endian, as on every host we run on
    const qint16 temperature = static_cast<qint16>(r[5] | (r[6] << 8));
    const int humidity = r[7];
    const int pressureCode = r[8];
    char buf[128];
    const int n =
        std::snprintf(buf, sizeof buf, ", %10.2f, %5.1f, %4i, %5.0f   ", static_cast<double>(value),
                      temperature * 0.1, humidity, (pressureCode + 200) * 2.0);
    return QByteArray(buf, qBound(0, n, static_cast<int>(sizeof buf) - 1));
}

void ReceivePath::onCharactersAvailable(const char* data, qsizetype n)
{
    state_.ReplyComplete = false;
    host_.restartWatchdog();

    bool activity = false;
    qsizetype read = 0;
    while (read < n) {
        char c;
        // The text of a finished binary record enters before the next port character.
        if (pendingPos_ < pendingText_.size()) {
            c = pendingText_[pendingPos_++];
        } else {
            c = data[read++];
            if (binaryBytesLeft_ > 0) {
                record_[kRecordSize - binaryBytesLeft_] = static_cast<unsigned char>(c);
                if (--binaryBytesLeft_ == 0) {
                    pendingText_ = recordText(record_);
                    pendingPos_ = 0;
                }
                continue;
            }
            if (static_cast<unsigned char>(c) == kRecordMarker && !state_.InQuotes) {
                record_[0] = kRecordMarker;
                binaryBytesLeft_ = kRecordSize - 1;
                continue;
            }
        }
        if (c != '\r' && c != '"' && !(c == kPrompt && !state_.InQuotes)) activity = true;
        handleCharacter(c);
    }
    if (pendingPos_ >= pendingText_.size() && !pendingText_.isEmpty()) {
        pendingText_.clear();
        pendingPos_ = 0;
    }

    // Every ordinary character restarts the reply timer; doing it once for the
    // whole notification gives the same deadline.
    if (activity) host_.restartReplyTimer();
    flushTerminal();
    capture_.flush();
    reportCaptureError();
}

void ReceivePath::handleCharacter(char c)
{
    const bool prompt = c == kPrompt && !state_.InQuotes;
    if (c != '\n') {
        if (rxLine_.size() < kMaxLine) rxLine_.append(c);
        if (!prompt) queue_.push(c);
        terminalOut_.append(c);
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
    rxLine_.clear();
    state_.InQuotes = false;
}

void ReceivePath::captureLine(QByteArray line)
{
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
    const QByteArray base = line.left(qMax<qsizetype>(0, line.size() - 3));
    QByteArray stamped;
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
        stamped = base + datetime::captureStamp(state_.RecordTime + count * state_.RecordPeriod);
    }
    const bool recordLine = numbered ? isNumberedRecordLine(line) : line.startsWith(' ');
    if (recordLine) {
        state_.RecordTime += state_.RecordPeriod;
        stamped = base + datetime::captureStamp(state_.RecordTime);
    }
    if (!stamped.isEmpty()) line = stamped;

    capture_.writeLine(line);

    if (state_.RecordsLeft > INT_MIN) --state_.RecordsLeft;  // a huge announced count must not wrap
    view_.setDataStatus(1, QString::number(qMax(state_.RecordsLeft, 0)));
    view_.stepDownloadProgress();

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
    pendingText_.clear();
    pendingPos_ = 0;
}

void ReceivePath::startCapture()
{
    capture_.start();
    state_.Downloading = true;
    reportCaptureError();
}

void ReceivePath::EndDownload()
{
    state_.Downloading = false;
    capture_.close();
    view_.setDataText(capture_.text());
    view_.setDataStatus(1, QString());
    state_.GraphStale = true;
    view_.hideDownloadProgress();
    reportCaptureError();
}

void ReceivePath::flushTerminal()
{
    if (terminalOut_.isEmpty()) return;
    host_.terminalWrite(terminalOut_.constData(), terminalOut_.size());
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
