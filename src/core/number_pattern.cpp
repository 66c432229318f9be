#include "core/number_pattern.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <string>

#include "core/date_time.h"

namespace nesmo::pattern {

namespace {

// A value as 15 significant decimal digits: value = 0.d1d2d3... x 10^point, so
// that point digits stand before the decimal point.
struct Decimal {
    bool negative = false;
    std::string digits;  // no leading zero, except for the value zero ("0")
    int point = 0;
};

Decimal toDecimal(double value)
{
    Decimal d;
    d.negative = std::signbit(value);
    char buf[64];
    const auto r =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    const std::string text(buf, r.ptr);  // d.ddddddddddddddde+XX
    const auto e = text.find('e');
    d.digits = text.substr(0, 1) + text.substr(2, e - 2);
    d.point = std::stoi(text.substr(e + 1)) + 1;
    return d;
}

bool isZero(const std::string& digits)
{
    return digits.find_first_not_of('0') == std::string::npos;
}

// Rounds to `decimals` digits after the point, halves away from zero.
void roundTo(Decimal& d, int decimals)
{
    const long keep = static_cast<long>(d.point) + decimals;
    if (keep >= static_cast<long>(d.digits.size())) return;
    const bool up = keep >= 0 && d.digits[static_cast<size_t>(keep)] >= '5';
    d.digits.resize(static_cast<size_t>(std::max<long>(keep, 0)));
    if (!up) return;
    long i = static_cast<long>(d.digits.size()) - 1;
    while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9') {
        d.digits[static_cast<size_t>(i)] = '0';
        --i;
    }
    if (i < 0) {
        d.digits.insert(d.digits.begin(), '1');
        ++d.point;
    } else {
        ++d.digits[static_cast<size_t>(i)];
    }
}

char digitAt(const Decimal& d, long pos)
{
    return (pos >= 0 && pos < static_cast<long>(d.digits.size()))
               ? d.digits[static_cast<size_t>(pos)]
               : '0';
}

// Integer digits of a rounded decimal, without leading zeros ("" for zero).
QString integerDigits(const Decimal& d)
{
    QString out;
    for (long i = 0; i < d.point; ++i)
        out += QLatin1Char(digitAt(d, i));
    while (out.startsWith(QLatin1Char('0')))
        out.remove(0, 1);
    return out;
}

QString fractionDigits(const Decimal& d, int decimals)
{
    QString out;
    for (int i = 0; i < decimals; ++i)
        out += QLatin1Char(digitAt(d, static_cast<long>(d.point) + i));
    return out;
}

QString specialValue(double value)
{
    if (std::isnan(value)) return QStringLiteral("NAN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

}  // namespace

QChar localeDecimalSeparator()
{
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.at(0);
}

QString formatNumber(const QString& pattern, double value, QChar separator)
{
    if (!std::isfinite(value)) return specialValue(value);

    QString prefix, suffix;
    int integerZeros = 0, decimals = 0, minDecimals = 0;
    bool seenDigit = false, seenPoint = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        QString literal;
        if (c == u'\'' || c == u'"') {
            const qsizetype close = pattern.indexOf(c, i + 1);
            const qsizetype end = close < 0 ? pattern.size() : close;
            literal = pattern.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == u'0' || c == u'#') {
            seenDigit = true;
            if (seenPoint) {
                ++decimals;
                if (c == u'0') minDecimals = decimals;
            } else if (c == u'0') {
                ++integerZeros;
            }
            continue;
        } else if (c == u'.' && !seenPoint) {
            seenPoint = true;
            continue;
        } else {
            literal = c;
        }
        (seenDigit || seenPoint ? suffix : prefix) += literal;
    }

    Decimal d = toDecimal(value);
    roundTo(d, decimals);
    QString integer = integerDigits(d);
    while (integer.size() < integerZeros)
        integer.prepend(QLatin1Char('0'));
    QString fraction = fractionDigits(d, decimals);
    while (fraction.size() > minDecimals && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);

    QString out;
    if (d.negative && !isZero(d.digits)) out += QLatin1Char('-');
    out += prefix + integer;
    if (!fraction.isEmpty()) out += separator + fraction;
    return out + suffix;
}

QString generalNumber(double value, QChar separator)
{
    if (!std::isfinite(value)) return specialValue(value);
    if (value == 0.0) return QStringLiteral("0");
    const Decimal d = toDecimal(value);
    std::string digits = d.digits;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int n = static_cast<int>(digits.size());
    QString out = d.negative ? QStringLiteral("-") : QString();
    if (d.point > 15 || d.point < -4) {
        // Exponent notation: d.ddd E exponent, without a plus sign or leading zeros.
        out += QLatin1Char(digits[0]);
        if (n > 1) out += separator + QString::fromLatin1(digits.substr(1));
        return out + QStringLiteral("E%1").arg(d.point - 1);
    }
    if (d.point <= 0) {
        out += QLatin1Char('0') + QString(separator) + QString(-d.point, QLatin1Char('0')) +
               QString::fromLatin1(digits);
    } else if (d.point >= n) {
        out += QString::fromLatin1(digits) + QString(d.point - n, QLatin1Char('0'));
    } else {
        out += QString::fromLatin1(digits.substr(0, static_cast<size_t>(d.point))) + separator +
               QString::fromLatin1(digits.substr(static_cast<size_t>(d.point)));
    }
    return out;
}

QString fixedNumber(double value, int decimals, int maxIntegerDigits, QChar separator)
{
    if (!std::isfinite(value)) return specialValue(value);
    Decimal d = toDecimal(value);
    roundTo(d, decimals);
    const QString sign = d.negative && !isZero(d.digits) ? QStringLiteral("-") : QString();
    if (!isZero(d.digits) && d.point > maxIntegerDigits) {
        Decimal e = toDecimal(value);
        int exponent = e.point - 1;
        e.point = 1;
        roundTo(e, maxIntegerDigits - 1);
        if (e.point > 1) {  // 9.99 rounded up to 10.0
            exponent += e.point - 1;
            e.point = 1;
        }
        QString mantissa = integerDigits(e);
        const QString frac = fractionDigits(e, maxIntegerDigits - 1);
        if (!frac.isEmpty()) mantissa += separator + frac;
        return sign + mantissa +
               QStringLiteral("E%1%2")
                   .arg(QChar(exponent < 0 ? u'-' : u'+'))
                   .arg(std::abs(exponent), 3, 10, QLatin1Char('0'));
    }
    QString integer = integerDigits(d);
    if (integer.isEmpty()) integer = QStringLiteral("0");
    QString out = sign + integer;
    if (decimals > 0) out += separator + fractionDigits(d, decimals);
    return out;
}

QString formatDateTime(const QString& pattern, double serial)
{
    if (!std::isfinite(serial)) return QString();
    const double day = std::floor(serial);
    const datetime::Parts date = datetime::decode(day);
    // The time of day to the millisecond, shown in whole seconds.
    long long ms = std::llround(std::fabs(serial - day) * 86400000.0);
    if (serial < 0) ms = std::llround(std::fabs(serial - std::trunc(serial)) * 86400000.0);
    ms = std::min(ms, 86399999LL);
    const int hour = static_cast<int>(ms / 3600000);
    const int minute = static_cast<int>(ms / 60000 % 60);
    const int second = static_cast<int>(ms / 1000 % 60);

    QString out;
    auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i);
        if (c == u'\'' || c == u'"') {
            const qsizetype close = pattern.indexOf(c, i + 1);
            const qsizetype end = close < 0 ? pattern.size() : close;
            out += pattern.mid(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        const QChar lower = c.toLower();
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern.at(i + run).toLower() == lower)
            ++run;
        switch (lower.unicode()) {
            case 'd': out += run >= 2 ? two(date.day) : QString::number(date.day); break;
            case 'm':
                if (run >= 3)
                    out += QLocale().monthName(date.month, QLocale::ShortFormat);
                else
                    out += run == 2 ? two(date.month) : QString::number(date.month);
                break;
            case 'y':
                out += run >= 3 ? QStringLiteral("%1").arg(date.year, 4, 10, QLatin1Char('0'))
                                : two(date.year % 100);
                break;
            case 'h': out += run >= 2 ? two(hour) : QString::number(hour); break;
            case 'n': out += run >= 2 ? two(minute) : QString::number(minute); break;
            case 's': out += run >= 2 ? two(second) : QString::number(second); break;
            default: out += pattern.mid(i, run); break;
        }
        i += run;
    }
    return out;
}

std::optional<double> parseReal(const QString& text, QChar separator)
{
    const QString t = text.trimmed();
    std::string s;
    s.reserve(static_cast<size_t>(t.size()));
    qsizetype i = 0;
    auto at = [&](qsizetype k) { return k < t.size() ? t.at(k) : QChar(); };
    if (at(i) == u'+' || at(i) == u'-') {
        if (at(i) == u'-') s += '-';
        ++i;
    }
    int mantissaDigits = 0;
    while (at(i).isDigit() && at(i).unicode() < 128) {
        s += static_cast<char>(at(i).unicode());
        ++i;
        ++mantissaDigits;
    }
    if (at(i) == separator) {
        s += '.';
        ++i;
        while (at(i).isDigit() && at(i).unicode() < 128) {
            s += static_cast<char>(at(i).unicode());
            ++i;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) return std::nullopt;
    if (at(i) == u'e' || at(i) == u'E') {
        s += 'e';
        ++i;
        if (at(i) == u'+' || at(i) == u'-') {
            s += static_cast<char>(at(i).unicode());
            ++i;
        }
        int exponentDigits = 0;
        while (at(i).isDigit() && at(i).unicode() < 128) {
            s += static_cast<char>(at(i).unicode());
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != t.size()) return std::nullopt;
    double value = 0.0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), value);
    if (r.ec != std::errc() || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace nesmo::pattern
