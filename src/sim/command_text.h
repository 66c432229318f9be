#pragma once

#include <QByteArray>
#include <QList>

namespace nesmo::sim {

// Collects the bytes the program sends into commands. A command ends at a
// carriage return; line feeds are dropped wherever they stand.
class CommandAssembler {
public:
    // Takes received bytes and returns the commands they complete, in order,
    // each without its carriage return. An unfinished command is kept.
    QList<QByteArray> feed(const QByteArray& bytes);

    // The instrument's command buffer is small; longer input is cut here.
    static constexpr int kMaxCommandLength = 256;

private:
    QByteArray m_line;
};

// One blank-separated word of a command. A double-quoted text is one word
// (without its quotes), blanks included.
struct Word {
    QByteArray text;
    bool quoted = false;

    bool isInt() const;
    int toInt() const;  // 0 unless isInt()
    bool isReal() const;
    double toReal() const;  // 0 unless isReal()
    // The word in upper case, for keyword comparison.
    QByteArray upper() const { return text.toUpper(); }
};

// Splits a command into words. Blanks and tabs separate words, several in a
// row count as one; a quoted word runs to the next double quote or the end.
QList<Word> splitWords(const QByteArray& command);

// printf into bytes; replies and dumps are 8-bit text.
QByteArray formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace nesmo::sim
