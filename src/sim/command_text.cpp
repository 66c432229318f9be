#include "sim/command_text.h"

#include <cmath>

#include <cstdarg>
#include <cstdio>

namespace nesmo::sim {

QList<QByteArray> CommandAssembler::feed(const QByteArray& bytes)
{
    QList<QByteArray> commands;
    for (char c : bytes) {
        if (c == '\n') continue;
        if (c == '\r') {
            commands.append(m_line);
            m_line.clear();
            continue;
        }
        if (m_line.size() < kMaxCommandLength) m_line.append(c);
    }
    return commands;
}

bool Word::isInt() const
{
    if (quoted || text.isEmpty()) return false;
    bool ok = false;
    text.toInt(&ok, 10);
    return ok;
}

int Word::toInt() const
{
    if (quoted) return 0;
    return text.toInt(nullptr, 10);
}

bool Word::isReal() const
{
    if (quoted || text.isEmpty()) return false;
    bool ok = false;
    const double v = text.toDouble(&ok);
    // "nan" and "inf" read as numbers, but no setting of the instrument takes them.
    return ok && std::isfinite(v);
}

double Word::toReal() const
{
    return isReal() ? text.toDouble() : 0.0;
}

QList<Word> splitWords(const QByteArray& command)
{
    QList<Word> words;
    int i = 0;
    const int n = command.size();
    while (i < n) {
        const char c = command[i];
        if (c == ' ' || c == '\t') {
            ++i;
            continue;
        }
        Word w;
        if (c == '"') {
            w.quoted = true;
            const int close = command.indexOf('"', i + 1);
            const int end = close < 0 ? n : close;
            w.text = command.mid(i + 1, end - i - 1);
            i = close < 0 ? n : close + 1;
        } else {
            int j = i;
            while (j < n && command[j] != ' ' && command[j] != '\t' && command[j] != '"')
                ++j;
            w.text = command.mid(i, j - i);
            i = j;
        }
        words.append(w);
    }
    return words;
}

QByteArray formatted(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    QByteArray out(qMax(size, 0), '\0');
    if (size > 0) std::vsnprintf(out.data(), size_t(size) + 1, format, again);
    va_end(again);
    return out;
}

}  // namespace nesmo::sim
