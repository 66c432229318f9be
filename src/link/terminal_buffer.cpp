#include "link/terminal_buffer.h"

namespace nesmo {

TerminalBuffer::TerminalBuffer()
{
    rows_.emplace_back();
}

void TerminalBuffer::newLine()
{
    rows_.emplace_back();
    if (rows_.size() > static_cast<size_t>(kRows)) rows_.pop_front();
}

void TerminalBuffer::put(const char* data, qsizetype n)
{
    while (n > 0) {
        if (rows_.back().size() >= kColumns) newLine();
        const qsizetype take = qMin<qsizetype>(n, kColumns - rows_.back().size());
        rows_.back().append(data, take);
        data += take;
        n -= take;
    }
}

void TerminalBuffer::write(const char* data, qsizetype n)
{
    if (n <= 0) return;
    QByteArray shown;
    const bool capture = capture_.isOpen();
    if (capture) shown.reserve(n + n / 8);
    const char* const end = data + n;
    while (data < end) {
        const char* run = data;
        while (data < end && *data != '\r' && *data != '\n')
            ++data;
        put(run, data - run);
        if (capture) shown.append(run, data - run);
        if (data == end) break;
        newLine();
        // A carriage return is drawn as carriage return plus line feed.
        if (capture) shown.append(*data == '\r' ? "\r\n" : "\n");
        ++data;
    }
    ++revision_;
    if (capture && capture_.write(shown) != shown.size()) {
        if (captureError_.isEmpty()) captureError_ = capture_.errorString();
    } else if (capture) {
        capture_.flush();
    }
}

bool TerminalBuffer::startCapture(const QString& path, QString* error)
{
    stopCapture();
    captureError_.clear();
    capture_.setFileName(path);
    if (!capture_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error) *error = capture_.errorString();
        return false;
    }
    return true;
}

void TerminalBuffer::stopCapture()
{
    if (capture_.isOpen()) capture_.close();
}

}  // namespace nesmo
