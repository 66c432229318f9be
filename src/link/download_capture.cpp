#include "link/download_capture.h"

#include <cstring>
#ifdef Q_OS_LINUX
#include <fcntl.h>
#endif

#include "core/bytes.h"

namespace nesmo {

namespace {

// The file alone is written in blocks of this size, and at every flush(); with
// the text, the file takes the text's new lines at every flush().
constexpr qsizetype kBlock = 64 * 1024;
constexpr qint64 kSyncStep = 256 * 1024;

}  // namespace

DownloadCapture::DownloadCapture(QString path)
{
    file_.setFileName(path);
}

bool DownloadCapture::start()
{
    close();
    text_.clear();
    lastLine_.clear();
    block_.clear();
    size_ = 0;
    fileSize_ = 0;
    syncedSize_ = 0;
    error_.clear();
    errorReported_ = false;
    open_ = true;
    if (file_.fileName().isEmpty()) return true;
    // Written in blocks of its own, so without the file's buffer.
    const QIODevice::OpenMode mode =
        keep_ == Keep::FileOnly ? QIODevice::WriteOnly : QIODevice::ReadWrite;
    if (!file_.open(mode | QIODevice::Unbuffered | QIODevice::Truncate)) {
        fail();
        return false;
    }
    if (keep_ == Keep::FileOnly) block_.reserve(kBlock + 4096);
    return true;
}

void DownloadCapture::fail()
{
    if (error_.isEmpty())
        error_ =
            file_.errorString().isEmpty() ? QStringLiteral("unknown error") : file_.errorString();
}

void DownloadCapture::reserve(qsizetype more)
{
    if (keep_ == Keep::TextAndFile) text_.reserve(text_.size() + more);
}

void DownloadCapture::writeLine(const QByteArray& line)
{
    if (!open_) return;
    // A copy, not a share: the caller's line keeps its storage for the next one.
    if (line.size() > 1 || (line.size() == 1 && line[0] != '\n')) {
        lastLine_.truncate(0);
        appendBytes(lastLine_, line);
    }
    size_ += line.size();
    if (keep_ == Keep::TextAndFile) {
        // The file gets the new text at the next flush().
        appendBytes(text_, line);
        return;
    }
    if (!file_.isOpen() || !error_.isEmpty()) return;
    // Every captured line ends with its one line feed: CR LF in the saved file.
    const qsizetype at = block_.size();
    const qsizetype body = line.endsWith('\n') ? line.size() - 1 : line.size();
    block_.resize(at + body + 2);
    char* out = block_.data() + at;
    std::memcpy(out, line.constData(), size_t(body));
    out[body] = '\r';
    out[body + 1] = '\n';
    if (block_.size() >= kBlock) writeBlock();
}

void DownloadCapture::writeBlock()
{
    if (block_.isEmpty()) return;
    if (error_.isEmpty() && file_.write(block_) != block_.size()) fail();
    fileSize_ += block_.size();
#ifdef Q_OS_LINUX
    // The system starts putting each megabyte on the disk while the dump goes
    // on, so that the sync of the whole file at its save has little left to do.
    if (error_.isEmpty() && fileSize_ - syncedSize_ >= kSyncStep) {
        ::sync_file_range(file_.handle(), syncedSize_, fileSize_ - syncedSize_,
                          SYNC_FILE_RANGE_WRITE);
        syncedSize_ = fileSize_;
    }
#endif
    block_.truncate(0);  // keeps its storage for the next block
}

void DownloadCapture::flush()
{
    if (!file_.isOpen() || !error_.isEmpty()) return;
    if (keep_ == Keep::FileOnly) {
        writeBlock();
        return;
    }
    const qsizetype more = text_.size() - qsizetype(fileSize_);
    if (more > 0 && file_.write(text_.constData() + fileSize_, more) != more) fail();
    fileSize_ = text_.size();
}

void DownloadCapture::close()
{
    if (file_.isOpen()) {
        flush();
        file_.close();
        if (file_.error() != QFileDevice::NoError) fail();
    }
    open_ = false;
}

bool DownloadCapture::takeErrorToReport()
{
    if (keep_ == Keep::FileOnly || error_.isEmpty() || errorReported_) return false;
    errorReported_ = true;
    return true;
}

}  // namespace nesmo
