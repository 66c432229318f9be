#include "reply/lexer.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace nesmo {

const KeywordRow KeywordTable[kKeywordRows + 1] = {
    {"V", 2},          {"HELP", 1},         {"H", 1},          {"NVRAM", 4},
    {"NVROM", 6},      {"SET", 9},          {"GET", 10},       {"SWITCHES", 11},
    {"SW", 11},        {"TEST", 3},         {"T", 3},          {"ON", 7},
    {"ENABLE", 7},     {"ENABLED", 7},      {"OFF", 8},        {"DISABLE", 8},
    {"DISABLED", 8},   {"QUERY", 13},       {"Q", 13},         {"XDATA", 14},
    {"IDATA", 15},     {"NXW", 16},         {"K1", 21},        {"K2", 22},
    {"MINBG", 23},     {"MAXBG", 24},       {"AUTO", 28},      {"AUTOMATIC", 28},
    {"A", 28},         {"GAIN", 27},        {"G", 27},         {"ONOFF", 29},
    {"EXIT", 30},      {"NEXT", 31},        {"LEFT", 32},      {"RIGHT", 33},
    {"UP", 34},        {"DOWN", 35},        {"PLUS", 36},      {"MINUS", 37},
    {"ENTER", 38},     {"TECH", 39},        {"FLOWRATE", 40},  {"DISPLAYAVG", 41},
    {"KEY", 42},       {"CALFACTOR", 43},   {"BATTERY", 44},   {"BACKLIGHT", 45},
    {"ENABLED", 7},    {"DISABLED", 8},     {"UNITS", 46},     {"SITE", 52},
    {"RHCORRECT", 47}, {"SIZECORRECT", 48}, {"HUH", 49},       {"LOGPERIOD", 50},
    {"AUTOSTART", 51}, {"TAG", 53},         {"TAGS", 54},      {"ANALOGOUT", 55},
    {"ALARM", 56},     {"INSTANT", 58},     {"STEL", 59},      {"AUTOZERO", 60},
    {"TIME", 61},      {"DATE", 62},        {"TEMPUNITS", 63}, {"SERIALNUMBER", 20},
    {"SIZES", 64},     {"INLET", 65},       {"HUH?", 49},      {"DONE", 7},
    {nullptr, 0},
};

namespace {

// A word that is recognised by its first five letters, outside KeywordTable, as
// keyword code 12. No reply handler acts on code 12; such a line is a keyword line.
constexpr char kAliasWord[] = "RESET";
constexpr int kAliasLength = 5;
constexpr int kAliasCode = 12;

bool isSeparator(char c)
{
    return c == ' ' || c == '\t' || c == ',';
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The number scanner. Stop ends the scan in the current state.
enum NumState : quint8 {
    Start,
    IntegerDigits,
    Point,
    FractionDigits,
    ExponentLetter,
    ExponentSign,
    ExponentDigits,
    Sign,
    SignAndPoint,
    Error,
    Stop,
};

enum CharClass : quint8 { ClassDigit, ClassPoint, ClassExponent, ClassSign, ClassOther };

CharClass classOf(char c)
{
    if (isDigit(c)) return ClassDigit;
    if (c == '.') return ClassPoint;
    if (c == 'E' || c == 'e') return ClassExponent;
    if (c == '+' || c == '-') return ClassSign;
    return ClassOther;
}

// Rows: the states Start .. SignAndPoint; columns: the character classes.
constexpr NumState kNext[9][5] = {
    /* Start          */ {IntegerDigits, Error, Error, Sign, Error},
    /* IntegerDigits  */ {IntegerDigits, Point, Stop, Stop, Stop},
    /* Point          */ {FractionDigits, Stop, Stop, Stop, Stop},
    /* FractionDigits */ {FractionDigits, Stop, ExponentLetter, Stop, Stop},
    /* ExponentLetter */ {ExponentDigits, Error, Error, ExponentSign, Error},
    /* ExponentSign   */ {ExponentDigits, Error, Error, Error, Error},
    /* ExponentDigits */ {ExponentDigits, Stop, Stop, Stop, Stop},
    /* Sign           */ {IntegerDigits, SignAndPoint, Error, Error, Error},
    /* SignAndPoint   */ {FractionDigits, Error, Error, Error, Error},
};

// "%ld" into 32 bits. Values that do not fit saturate at the 32-bit limits, as a
// 32-bit strtol does.
qint32 convertInteger(const char* text)
{
    const char* p = text;
    if (*p == '+') ++p;
    const char* end = text + std::strlen(text);
    long long v = 0;
    const auto r = std::from_chars(p, end, v);
    const bool negative = *p == '-';
    if (r.ec == std::errc::result_out_of_range)
        v = negative ? std::numeric_limits<long long>::min()
                     : std::numeric_limits<long long>::max();
    else if (r.ec != std::errc())
        return 0;
    if (v > std::numeric_limits<qint32>::max()) return std::numeric_limits<qint32>::max();
    if (v < std::numeric_limits<qint32>::min()) return std::numeric_limits<qint32>::min();
    return static_cast<qint32>(v);
}

// "%f" into single precision, independent of the C locale. Too large a value gives
// an infinity of its sign, too small a one zero of its sign.
float convertReal(const char* text)
{
    const char* p = text;
    if (*p == '+') ++p;
    const char* end = text + std::strlen(text);
    const bool negative = *p == '-';
    float f = 0.0f;
    auto r = std::from_chars(p, end, f);
    if (r.ec == std::errc()) return f;
    if (r.ec != std::errc::result_out_of_range) return 0.0f;
    // Out of the float range: find out which way through the double range.
    double d = 0.0;
    r = std::from_chars(p, end, d);
    bool huge;
    if (r.ec == std::errc()) {
        huge = std::fabs(d) > 1.0;
    } else {
        // Beyond double as well; only an exponent can do that, its sign decides.
        const char* e = std::strpbrk(p, "Ee");
        huge = !(e && e[1] == '-');
    }
    const float magnitude = huge ? std::numeric_limits<float>::infinity() : 0.0f;
    return negative ? -magnitude : magnitude;
}

}  // namespace

int lookupKeyword(const char* upperWord)
{
    for (const KeywordRow* row = KeywordTable; row->text; ++row)
        if (std::strcmp(row->text, upperWord) == 0) return row->code;
    return 0;
}

char Lexer::takeChar(bool& fromQueue)
{
    fromQueue = !queue_.isEmpty();
    return queue_.take();
}

void Lexer::pushBack(char c, bool fromQueue)
{
    if (fromQueue) queue_.pushFront(c);
}

quint8 Lexer::NextToken()
{
    bool fromQueue = false;
    char c;
    do {
        c = takeChar(fromQueue);
    } while (isSeparator(c));

    if (isDigit(c) || c == '+' || c == '-' || c == '.') return scanNumber(c);
    if (isLetter(c)) return scanWord(c);
    if (c == '\r' || c == '\n') {
        TokenText[0] = 0;
        return TokEnd;
    }
    if (c == '"') return scanString();
    TokenText[0] = c;
    TokenText[1] = 0;
    return TokOther;
}

quint8 Lexer::Advance()
{
    TokenKind = NextToken();
    return TokenKind;
}

quint8 Lexer::scanNumber(char first)
{
    int n = 0;
    NumState state = Start;
    if (first == '.') {
        TokenText[n++] = '0';  // .5 reads as 0.5
        state = IntegerDigits;
    }
    char c = first;
    bool fromQueue = true;
    for (;;) {
        TokenText[n++] = c;
        const NumState next = kNext[state][classOf(c)];
        if (next == Stop) break;
        state = next;
        if (state == Error || n >= kMaxText) break;
        c = takeChar(fromQueue);
    }
    TokenText[n] = 0;
    pushBack(c, fromQueue);

    switch (state) {
        case IntegerDigits: TokenValue = convertInteger(TokenText); return TokInteger;
        case Point:
        case FractionDigits:
        case ExponentDigits:
            TokenValue = std::bit_cast<qint32>(convertReal(TokenText));
            return TokReal;
        default: return TokOther;
    }
}

quint8 Lexer::scanWord(char first)
{
    int n = 0;
    TokenText[n++] = upper(first);
    while (n < kMaxText) {
        bool fromQueue = false;
        const char c = takeChar(fromQueue);
        if (!isLetter(c) && !isDigit(c)) {
            pushBack(c, fromQueue);
            break;
        }
        TokenText[n++] = upper(c);
    }
    TokenText[n] = 0;

    int code = lookupKeyword(TokenText);
    if (code == 0 && std::strncmp(TokenText, kAliasWord, kAliasLength) == 0) code = kAliasCode;
    TokenValue = code;
    return code ? TokKeyword : TokWord;
}

quint8 Lexer::scanString()
{
    int n = 0;
    char c = 0;
    bool fromQueue = false;
    while (n < kTextSize) {
        c = takeChar(fromQueue);
        TokenText[n++] = c;
        if (c == '"' || c == '\r') break;
    }
    TokenText[n - 1] = 0;  // the last character taken is not part of the text
    if (c == '"') return TokString;
    pushBack(c, fromQueue);
    return TokOther;
}

void Lexer::SkipLine()
{
    if (TokenKind == TokEnd) return;
    queue_.dropLine();
}

void Lexer::ReadBareWord()
{
    bool fromQueue = false;
    char c;
    do {
        c = takeChar(fromQueue);
    } while (isSeparator(c));

    int n = 0;
    while (!isSeparator(c) && c != '\r' && c != 0) {
        if (n < kMaxText) TokenText[n++] = c;
        c = takeChar(fromQueue);
    }
    TokenText[n] = 0;
    pushBack(c, fromQueue);
}

float Lexer::realValue() const
{
    return std::bit_cast<float>(TokenValue);
}

}  // namespace nesmo
