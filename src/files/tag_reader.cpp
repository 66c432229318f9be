#include "files/tag_reader.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <string_view>

namespace nesmo {

namespace {

constexpr qsizetype kValueWindow = 50;

bool isBlank(char c)
{
    // The blanks that scanf's conversions skip.
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

qsizetype skipBlanks(QByteArrayView s, qsizetype at)
{
    while (at < s.size() && isBlank(s[at]))
        ++at;
    return at;
}

// The value's text up to the end of its line.
QByteArrayView lineOf(QByteArrayView value)
{
    for (qsizetype i = 0; i < value.size(); ++i)
        if (value[i] == '\r' || value[i] == '\n') return value.first(i);
    return value;
}

// Up to n characters after the value's opening quote, on the value's line.
QByteArray quoted(QByteArrayView value, qsizetype n)
{
    QByteArrayView line = lineOf(value);
    if (line.startsWith('"')) line = line.sliced(1);
    return line.first(qMin(n, line.size())).toByteArray();
}

QByteArray leading(QByteArrayView value, qsizetype n)
{
    const QByteArrayView line = lineOf(value);
    return line.first(qMin(n, line.size())).toByteArray();
}

int digitValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// "%i" from position `at`; returns the position after the number, or -1 when
// no number starts there.
qsizetype scanIntegerAt(QByteArrayView s, qsizetype at, long long* value)
{
    at = skipBlanks(s, at);
    bool negative = false;
    if (at < s.size() && (s[at] == '+' || s[at] == '-')) negative = s[at++] == '-';
    int base = 10;
    qsizetype digits = at;
    if (at < s.size() && s[at] == '0') {
        base = 8;
        if (at + 2 < s.size() && (s[at + 1] == 'x' || s[at + 1] == 'X') &&
            digitValue(s[at + 2]) < 16) {
            base = 16;
            digits = at + 2;
        }
    }
    constexpr long long kLimit = 1LL << 32;  // beyond any 32-bit value: saturates below
    long long v = 0;
    qsizetype i = digits;
    while (i < s.size() && digitValue(s[i]) < base) {
        v = qMin(v * base + digitValue(s[i]), kLimit);
        ++i;
    }
    if (i == digits) return -1;
    *value = negative ? -v : v;
    return i;
}

// "%f" from position `at`; returns the position after the number, or -1.
qsizetype scanRealAt(QByteArrayView s, qsizetype at, double* value)
{
    at = skipBlanks(s, at);
    bool negative = false;
    if (at < s.size() && (s[at] == '+' || s[at] == '-')) negative = s[at++] == '-';
    // A second sign is no number ("+-1"); from_chars would take the minus.
    if (at < s.size() && (s[at] == '+' || s[at] == '-')) return -1;
    double v = 0;
    const char* begin = s.data() + at;
    const auto [end, error] = std::from_chars(begin, s.data() + s.size(), v);
    if (error == std::errc::invalid_argument) return -1;
    if (error == std::errc::result_out_of_range) {
        // Too large or too small for a double: scanf gives infinity or zero.
        const std::string_view number(begin, static_cast<size_t>(end - begin));
        const size_t e = number.find_first_of("eE");
        const bool tiny =
            e != std::string_view::npos && e + 1 < number.size() && number[e + 1] == '-';
        v = tiny ? 0.0 : HUGE_VAL;
    }
    *value = negative ? -v : v;
    return at + (end - begin);
}

qsizetype expect(QByteArrayView s, qsizetype at, char c)
{
    return at >= 0 && at < s.size() && s[at] == c ? at + 1 : -1;
}

// The end of the line that starts at `at`, and the start of the next.
void lineEnd(QByteArrayView s, qsizetype at, qsizetype* end, qsizetype* next)
{
    qsizetype i = at;
    while (i < s.size() && s[i] != '\r' && s[i] != '\n')
        ++i;
    *end = i;
    if (i < s.size() && s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
        *next = i + 2;
    else
        *next = i < s.size() ? i + 1 : i;
}

}  // namespace

HeaderValue FindHeaderValue(QByteArrayView text, QByteArrayView key)
{
    HeaderValue result;
    qsizetype at = key.isEmpty() ? -1 : text.indexOf(key);
    result.keyFound = at >= 0;
    if (at < 0) at = 0;
    const QByteArrayView window = text.sliced(at, qMin(kValueWindow, text.size() - at));
    const qsizetype separator = window.indexOf(QByteArrayView("\", "));
    if (separator >= 0) result.text = text.sliced(at + separator + 3);
    return result;
}

QByteArray headerLineValue(QByteArrayView text, QByteArrayView key, bool* found)
{
    const HeaderValue v = FindHeaderValue(text, key);
    if (found) *found = v.keyFound;
    if (!v.keyFound) return {};
    QByteArray value = lineOf(v.text).toByteArray().trimmed();
    if (value.startsWith('"')) value.remove(0, 1);
    if (value.endsWith('"')) value.chop(1);
    return value.trimmed();
}

TagAlarm readTagAlarm(QByteArrayView text)
{
    TagAlarm a;
    a.setting = headerLineValue(text, "ALARM  ");
    a.on = !a.setting.isEmpty() && a.setting.toUpper() != "OFF";
    bool found = false;
    const QByteArray level = headerLineValue(text, "ALARM_LEVEL", &found);
    if (found) a.level = level.toDouble(&a.levelRead);
    if (!a.levelRead) a.level = std::numeric_limits<double>::quiet_NaN();
    return a;
}

int scanInteger(QByteArrayView text, bool* ok)
{
    long long v = 0;
    const bool read = scanIntegerAt(text, 0, &v) >= 0;
    if (ok) *ok = read;
    if (!read) return 0;
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

TagHeader readTagHeader(QByteArrayView text)
{
    TagHeader h;
    QByteArrayView values[kTagHeaderKeys.size()];
    for (size_t i = 0; i < kTagHeaderKeys.size(); ++i) {
        const HeaderValue v = FindHeaderValue(text, QByteArrayView(kTagHeaderKeys[i]));
        if (!v.keyFound) h.missingKeys << QByteArray(kTagHeaderKeys[i]);
        values[i] = v.text;
    }
    h.Model = quoted(values[0], 10);
    h.SerialNo = quoted(values[1], 10);
    if (const qsizetype q = h.SerialNo.indexOf('"'); q >= 0) h.SerialNo.truncate(q);
    h.TagNumber = scanInteger(values[2]);
    h.StartTime = leading(values[3], 8);
    h.StartDate = leading(values[4], 11);
    h.LogPeriodText = leading(values[5], 8);
    h.NumberOfRecords = scanInteger(values[6]);
    h.UnitName = quoted(values[9], 5);
    if (!values[10].isEmpty()) h.TempUnits = values[10][0];
    h.alarm = readTagAlarm(text);
    return h;
}

RecordValues readRecordLine(QByteArrayView line)
{
    RecordValues r;
    long long skipped = 0;
    long long humidity = 0;
    qsizetype at = scanIntegerAt(line, 0, &skipped);
    // Each field is ", " and the value; scanf stops at the first mismatch.
    at = expect(line, at, ',');
    if (at < 0 || (at = scanRealAt(line, at, &r.concentration)) < 0) return r;
    at = expect(line, at, ',');
    if (at < 0 || (at = scanRealAt(line, at, &r.temperature)) < 0) return r;
    at = expect(line, at, ',');
    if (at < 0 || (at = scanIntegerAt(line, at, &humidity)) < 0) return r;
    r.humidity = static_cast<double>(std::clamp<long long>(humidity, INT_MIN, INT_MAX));
    at = expect(line, at, ',');
    if (at < 0) return r;
    scanRealAt(line, at, &r.pressure);
    return r;
}

QList<QByteArrayView> recordLines(QByteArrayView text, int count)
{
    QList<QByteArrayView> lines;
    const qsizetype title = text.indexOf(QByteArrayView("record,"));
    if (title < 0 || count <= 0) return lines;
    qsizetype end = 0;
    qsizetype at = 0;
    lineEnd(text, title, &end, &at);
    lines.reserve(qMin<qsizetype>(count, text.size() / 2 + 1));
    while (lines.size() < count && at < text.size()) {
        qsizetype next = 0;
        lineEnd(text, at, &end, &next);
        lines << text.sliced(at, end - at);
        at = next;
    }
    return lines;
}

std::array<QByteArrayView, 4> recordFields(QByteArrayView line)
{
    std::array<QByteArrayView, 4> fields;
    qsizetype comma = line.indexOf(',');  // after the record number
    for (QByteArrayView& field : fields) {
        if (comma < 0) break;
        line = line.sliced(comma + 1);
        comma = line.indexOf(',');
        field = (comma < 0 ? line : line.first(comma)).trimmed();
    }
    return fields;
}

bool isNumberField(QByteArrayView field)
{
    if (field.isEmpty()) return false;
    const qsizetype first = field[0] == '-' || field[0] == '+' ? 1 : 0;
    if (first >= field.size() ||
        !(std::isdigit(static_cast<unsigned char>(field[first])) || field[first] == '.'))
        return false;
    double value = 0;
    const char* end = field.data() + field.size();
    const auto r = std::from_chars(field.data() + (field[0] == '+' ? 1 : 0), end, value);
    return r.ptr == end && (r.ec == std::errc() || r.ec == std::errc::result_out_of_range);
}

double numberField(QByteArrayView field)
{
    double value = std::numeric_limits<double>::quiet_NaN();
    if (!isNumberField(field)) return value;
    const auto r = std::from_chars(field.data() + (field[0] == '+' ? 1 : 0),
                                   field.data() + field.size(), value);
    return r.ec == std::errc() ? value : std::numeric_limits<double>::quiet_NaN();
}

QByteArray concentrationUnit(const TagHeader& header)
{
    QByteArray unit = header.UnitName;
    if (const qsizetype quote = unit.indexOf('"'); quote >= 0) unit.truncate(quote);
    return unit.trimmed();
}

}  // namespace nesmo
