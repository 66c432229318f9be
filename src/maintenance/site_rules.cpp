#include "maintenance/site_rules.h"

#include "link/command_format.h"
#include "link/commands.h"

namespace nesmo::sites {

namespace {

QByteArray withoutControlBytes(const QByteArray& line)
{
    QByteArray out;
    out.reserve(line.size());
    for (const char c : line)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) out += c;
    return out;
}

}  // namespace

QByteArray sentText(const QByteArray& line)
{
    QByteArray text = withoutControlBytes(line).left(kMaxSentBytes);
    text.replace(',', '.');
    return text;
}

QByteArray siteDefinitionCommand(const QByteArray& line)
{
    return formatCommand(cmd::kSiteSetNameFmt, sentText(line).constData());
}

QList<QByteArray> linesToSend(const QList<QByteArray>& listLines)
{
    QList<QByteArray> lines = listLines.mid(0, kSiteCount);
    while (lines.size() < kSiteCount)
        lines << QByteArray();
    return lines;
}

QList<int> sitesThatLoseCharacters(const QList<QByteArray>& listLines)
{
    QList<int> sites;
    const QList<QByteArray> lines = linesToSend(listLines);
    for (int i = 0; i < lines.size(); ++i)
        if (withoutControlBytes(lines[i]).size() > kMaxSentBytes) sites << i + 1;
    return sites;
}

QList<QByteArray> fileLines(const QByteArray& bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        lines << bytes.mid(start, i - start);
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) lines << bytes.mid(start);
    return lines;
}

QByteArray fileBytes(const QList<QByteArray>& lines)
{
    QByteArray out;
    for (const QByteArray& line : lines)
        out += line + "\r\n";
    return out;
}

}  // namespace nesmo::sites
