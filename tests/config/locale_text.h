#pragma once

#include <QLocale>
#include <QString>

namespace nesmo::test {

// A text as a field or a message shows it: every full stop is the user's decimal
// separator (the page tests also run with a decimal comma).
inline QString loc(const char* text)
{
    return QString::fromLatin1(text).replace(QLatin1Char('.'), QLocale().decimalPoint());
}

}  // namespace nesmo::test
