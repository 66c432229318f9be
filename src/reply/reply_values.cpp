#include "reply/reply_values.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "core/date_time.h"

namespace nesmo::reply {

namespace {

// The characters at positions from .. from+length-1 (counted from 1), as far as
// the word reaches, read as their leading decimal digits.
std::optional<int> field(const char* word, int from, int length)
{
    const int size = static_cast<int>(std::strlen(word));
    int value = 0;
    int digits = 0;
    for (int i = from - 1; i < from - 1 + length && i < size; ++i) {
        const char c = word[i];
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
        ++digits;
    }
    if (digits == 0) return std::nullopt;
    return value;
}

// The character at position pos (counted from 1), 0 beyond the word's end.
char at(const char* word, int pos)
{
    const int size = static_cast<int>(std::strlen(word));
    return pos <= size ? word[pos - 1] : 0;
}

struct Hms {
    int h, m, s;
};

std::optional<Hms> hms(const char* word)
{
    const auto h = field(word, 1, 2);
    const auto m = field(word, 4, 2);
    const auto s = field(word, 7, 2);
    if (!h || !m || !s || *m > 59 || *s > 59) return std::nullopt;
    return Hms{*h, *m, *s};
}

}  // namespace

std::optional<int> firmwareVersionFromText(const char* text)
{
    const char* p = text;
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p == '+') ++p;
    double v = 0.0;
    const auto r = std::from_chars(p, p + std::strlen(p), v);
    if (r.ec != std::errc()) return std::nullopt;
    const double scaled = std::trunc(v * 100.0);
    if (!(scaled >= -2147483648.0 && scaled <= 2147483647.0)) return std::nullopt;  // NaN too
    return static_cast<int>(scaled);
}

std::optional<double> headerTimeOfDay(const char* word)
{
    const auto t = hms(word);
    if (!t || t->h > 23) return std::nullopt;
    return datetime::encodeTime(t->h, t->m, t->s);
}

std::optional<double> headerPeriod(const char* word)
{
    const auto t = hms(word);
    if (!t) return std::nullopt;
    return datetime::encodeTime(t->h, t->m, t->s);
}

int headerMonth(const char* word)
{
    switch (at(word, 4)) {
        case 'A': return at(word, 5) == 'p' ? 4 : 8;
        case 'F': return 2;
        case 'J':
            if (at(word, 5) == 'a') return 1;
            return at(word, 6) == 'n' ? 6 : 7;
        case 'M': return at(word, 6) == 'r' ? 3 : 5;
        case 'N': return 11;
        case 'O': return 10;
        case 'S': return 9;
        default: return 12;
    }
}

std::optional<double> headerDate(const char* word)
{
    const auto day = field(word, 1, 2);
    const auto year = field(word, 8, 4);
    if (!day || !year) return std::nullopt;
    double serial = 0.0;
    if (!datetime::encodeDate(*year, headerMonth(word), *day, serial)) return std::nullopt;
    return serial;
}

}  // namespace nesmo::reply
