#pragma once

#include <QChar>
#include <QString>
#include <optional>

namespace nesmo::pattern {

// Number and date-time patterns, the texts that fields and messages show.
// Fields and messages use the decimal separator of the user's locale; instrument
// commands never go through here (they always use a full stop).

// The decimal separator of the user's locale (QLocale's default).
QChar localeDecimalSeparator();

// A number written with a pattern: "0" a digit that is always shown, "#" a digit
// shown only when significant, "." the decimal separator, text in single or
// double quotes copied as it stands, any other character copied too. The value is
// first taken to 15 significant digits and then rounded to the last shown digit,
// halves away from zero ("0.00" writes 2.675 as 2.68 and -2.5 with "0" as -3).
// A value that rounds to zero has no minus sign.
QString formatNumber(const QString& pattern, double value,
                     QChar separator = localeDecimalSeparator());

// The general number form: the shortest decimal text with up to 15 significant
// digits and no trailing zeros after the separator (10, 1.5, 0.001, 1E20).
QString generalNumber(double value, QChar separator = localeDecimalSeparator());

// Fixed-point with a given number of decimals: a minus sign when negative, at
// least one digit before the separator and exactly that many after it. A value
// with more than maxIntegerDigits digits before the separator is written in
// exponent notation instead (d.dddE+ddd, maxIntegerDigits significant digits).
QString fixedNumber(double value, int decimals, int maxIntegerDigits,
                    QChar separator = localeDecimalSeparator());

// A date-time serial (days since 30 Dec 1899, time of day the fraction) written
// with a date-time pattern: "d"/"dd" day, "m"/"mm" month, "mmm" the locale's short
// month name, "yy"/"yyyy" year, "h"/"hh" hour, "n"/"nn" minute, "s"/"ss" second
// (the single letter without a leading zero), quoted text copied. The time is
// taken to the nearest millisecond and shown in whole seconds.
QString formatDateTime(const QString& pattern, double serial);

// A field's text read as a real number: blanks around it, a sign, digits with the
// given decimal separator, an exponent ("1", "-2.5", "2.", ".5", "1E3"). Nothing
// when the text is no such number.
std::optional<double> parseReal(const QString& text, QChar separator = localeDecimalSeparator());

}  // namespace nesmo::pattern
