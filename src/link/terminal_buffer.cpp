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

void TerminalBuffer::put(char c)
{
    if (rows_.back().size() >= kColumns) newLine();
    rows_.back().append(c);
}

void TerminalBuffer::write(const char* data, qsizetype n)
{
    if (n <= 0) return;
    QByteArray shown;
    const bool capture = capture_.isOpen();
    if (capture) shown.reserve(n + n / 8);
    for (qsizetype i = 0; i < n; ++i) {
        const char c = data[i];
        if (c == '\r') {
            // Drawn as carriage return plus line feed.
            newLine();
            if (capture) shown.append("\r\n");
        } else if (c == '\n') {
            newLine();
            if (capture) shown.append('\n');
        } else {
            put(c);
            if (capture) shown.append(c);
        }
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
