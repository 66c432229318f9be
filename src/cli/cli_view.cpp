#include "cli/cli_view.h"

#include <cstring>

#include "link/download_capture.h"

namespace nesmo::cli {

bool isRecordLine(QByteArrayView line)
{
    qsizetype i = 0;
    while (i < line.size() && line[i] == ' ')
        ++i;
    return i > 0 && i < line.size() && line[i] >= '0' && line[i] <= '9';
}

void CliView::setItem(Control c, int i, const QString& text)
{
    QStringList& list = items_[c];
    if (i >= 0 && i < list.size()) list[i] = text;
}

void CliView::clearDataText()
{
    dataText_.clear();
    dataTextSet_ = false;
    records_ = 0;
}

void CliView::setDataText(const QByteArray& text)
{
    dataText_ = text;
    dataTextSet_ = true;
}

void CliView::stepDownloadProgress()
{
    // The line just captured is the capture's last one.
    if (!capture_) return;
    const QByteArray& text = capture_->text();
    if (!text.endsWith('\n')) return;
    const void* before = ::memrchr(text.constData(), '\n', size_t(text.size() - 1));
    const qsizetype start = before ? static_cast<const char*>(before) - text.constData() + 1 : 0;
    if (!isRecordLine(QByteArrayView(text).sliced(start, text.size() - 1 - start))) return;
    ++records_;
    if (onRecord_) onRecord_(records_);
}

}  // namespace nesmo::cli
