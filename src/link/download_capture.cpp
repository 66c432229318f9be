#include "link/download_capture.h"

namespace nesmo {

DownloadCapture::DownloadCapture(QString path)
{
    file_.setFileName(path);
}

bool DownloadCapture::start()
{
    close();
    text_.clear();
    error_.clear();
    errorReported_ = false;
    open_ = true;
    if (file_.fileName().isEmpty()) return true;
    if (!file_.open(QIODevice::ReadWrite | QIODevice::Truncate)) {
        fail();
        return false;
    }
    return true;
}

void DownloadCapture::fail()
{
    if (error_.isEmpty())
        error_ =
            file_.errorString().isEmpty() ? QStringLiteral("unknown error") : file_.errorString();
}

void DownloadCapture::writeLine(const QByteArray& line)
{
    if (!open_) return;
    text_.append(line);
    if (file_.isOpen() && error_.isEmpty() && file_.write(line) != line.size()) fail();
}

void DownloadCapture::flush()
{
    if (file_.isOpen() && error_.isEmpty() && !file_.flush()) fail();
}

void DownloadCapture::close()
{
    if (file_.isOpen()) {
        flush();
        file_.close();
    }
    open_ = false;
}

bool DownloadCapture::takeErrorToReport()
{
    if (error_.isEmpty() || errorReported_) return false;
    errorReported_ = true;
    return true;
}

}  // namespace nesmo
