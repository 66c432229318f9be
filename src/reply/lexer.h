#pragma once

#include <QString>
#include <QtGlobal>

#include "reply/reply_queue.h"

namespace nesmo {

// Kinds of token in the instrument's reply language.
enum TokenKindValue : quint8 {
    TokOther = 0,
    TokKeyword = 1,
    TokWord = 2,
    TokInteger = 3,
    TokReal = 4,
    TokString = 5,
    TokEnd = 255,
};

// One keyword of the reply language and its code.
struct KeywordRow {
    const char* text;
    int code;
};

// The instrument's keywords, looked up from the top (the first equal row wins),
// ended by a row without text and code 0. Some words stand twice and "HUH?" can
// never match (a word stops at the "?"); the rows are kept as the instrument
// firmware knows them.
inline constexpr int kKeywordRows = 72;
extern const KeywordRow KeywordTable[kKeywordRows + 1];

// Keyword codes the interpreter itself acts on.
namespace kw {
inline constexpr int V = 2;
inline constexpr int On = 7;   // ON, ENABLE, ENABLED, DONE
inline constexpr int Off = 8;  // OFF, DISABLE, DISABLED
inline constexpr int SerialNumber = 20;
}  // namespace kw

// The code of an upper-case word in KeywordTable, or 0 when it is no keyword.
int lookupKeyword(const char* upperWord);

// Reads tokens from the front of a ReplyQueue. One current token at a time,
// shared by the parser and the keyword handlers.
class Lexer {
public:
    static constexpr int kTextSize = 40;            // TokenText, zero included
    static constexpr int kMaxText = kTextSize - 1;  // characters a token keeps

    explicit Lexer(ReplyQueue& q) : queue_(q) {}

    // Reads the next token: fills TokenValue and TokenText and returns the kind.
    // TokenKind is left as it was.
    quint8 NextToken();
    // TokenKind = NextToken(); returns TokenKind.
    quint8 Advance();
    // Unless the current token is TokEnd, discards the queue up to and including
    // the next carriage return.
    void SkipLine();
    // Skips blanks, tabs and commas, then reads everything up to the next blank,
    // tab, comma, carriage return or character 0 into TokenText (its first
    // kMaxText characters; the rest of the word is consumed). TokenKind and
    // TokenValue stay as they were.
    void ReadBareWord();

    // The value of a TokReal token (its bits are held in TokenValue).
    float realValue() const;
    // TokenText as text; the reply language is Latin-1.
    QString text() const { return QString::fromLatin1(TokenText); }

    ReplyQueue& queue() { return queue_; }

    quint8 TokenKind = TokOther;
    // The keyword code (TokKeyword), 0 (TokWord), the integer (TokInteger) or the
    // bits of the single-precision value (TokReal); unchanged by other kinds.
    qint32 TokenValue = 0;
    // Zero-terminated: a word in upper case, the content of a string, the single
    // character of a TokOther, empty for TokEnd; for a number every character the
    // scan took, the one that ended it included (".5 " reads "0.5 ").
    char TokenText[kTextSize] = {};

private:
    // Takes the next character; fromQueue tells a real character (even a 0 byte)
    // from the 0 of an empty queue, which is never pushed back.
    char takeChar(bool& fromQueue);
    void pushBack(char c, bool fromQueue);

    quint8 scanNumber(char first);
    quint8 scanWord(char first);
    quint8 scanString();

    ReplyQueue& queue_;
};

}  // namespace nesmo
