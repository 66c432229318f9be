#include "maintenance/site_rules.h"

#include <QRegularExpression>

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

bool isSiteLine(const QByteArray& line)
{
    static const QRegularExpression site(QStringLiteral(
        R"(^[ \t]*([0-9]{1,2})[ \t]+"[^"]*"([ \t]+[-+]?([0-9]+([.,][0-9]*)?|[.,][0-9]+))?[ \t]*$)"));
    const QRegularExpressionMatch m = site.match(QString::fromLatin1(line));
    if (!m.hasMatch()) return false;
    const int number = m.captured(1).toInt();
    return number >= 1 && number <= kSiteCount;
}

QList<int> linesThatAreNoSites(const QList<QByteArray>& listLines)
{
    QList<int> lines;
    const QList<QByteArray> sent = listLines.mid(0, kSiteCount);
    for (int i = 0; i < sent.size(); ++i)
        if (!sent[i].trimmed().isEmpty() && !isSiteLine(sent[i])) lines << i + 1;
    return lines;
}

int siteNumberOf(const QByteArray& line)
{
    const QByteArray text = line.trimmed();
    qsizetype digits = 0;
    while (digits < text.size() && digits < 3 && text[digits] >= '0' && text[digits] <= '9')
        ++digits;
    return digits ? text.left(digits).toInt() : 0;
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
