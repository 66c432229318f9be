#include "cli/cli_view.h"

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
    dataTextSet_ = false;
    records_ = 0;
}

void CliView::setDataText(const QByteArray&)
{
    dataTextSet_ = true;
}

void CliView::stepDownloadProgress(QByteArrayView line)
{
    if (!isRecordLine(line.chopped(line.endsWith('\n') ? 1 : 0))) return;
    ++records_;
    if (onRecord_) onRecord_(records_);
}

}  // namespace nesmo::cli
