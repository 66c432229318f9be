#include "config/clock_rules.h"

#include "core/conversion.h"
#include "core/number_pattern.h"

namespace nesmo::config {

double DayNumber(int year, int month, int day, int hour, int minute, int second)
{
    const long long y = static_cast<long long>(year) - 1900;
    const long long q = y * 1461 / 4;
    const long long r = y * 1461 % 4;
    long long n = q + 1;
    // Step i adds the length of month i - 1; the first makes up for the leap day
    // that q already counts in a leap year.
    static const int kAdd[13] = {0, 0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30};
    for (int i = 1; i <= month && i <= 12; ++i) {
        if (i == 1) {
            if (r == 0) n -= 1;
        } else {
            n += kAdd[i];
            if (i == 3 && r == 0) n += 1;
        }
    }
    n += day;
    return static_cast<double>(n) + (hour * 3600.0 + minute * 60.0 + second) * (1.0 / 86400.0);
}

int monthLength(int monthIndex, int year)
{
    switch (monthIndex) {
        case 3:
        case 5:
        case 8:
        case 10: return 30;
        case 1: return year % 4 == 0 ? 29 : 28;
        default: return 31;
    }
}

LogPeriodCheck checkLogPeriod(const QString& hours, const QString& minutes, const QString& seconds)
{
    const int s = strToIntDef(seconds, -1);
    const int m = strToIntDef(minutes, -1);
    const int h = strToIntDef(hours, -1);
    const long long total = h * 3600LL + m * 60LL + s;
    LogPeriodCheck c;
    const auto inRange = [](int v) { return v >= 0 && v <= 59; };
    if (inRange(s) && inRange(m) && inRange(h) && total >= 1 && total <= 3600) return c;
    c.valid = false;
    c.seconds = QStringLiteral("00");
    if (total > 3600) {
        c.hours = QStringLiteral("01");
        c.minutes = QStringLiteral("00");
    } else {
        c.hours = QStringLiteral("00");
        c.minutes = QStringLiteral("01");
    }
    return c;
}

bool manualClockValid(const QString& hour, const QString& minute, const QString& second,
                      const QString& year, int monthIndex, const QString& day)
{
    const int h = strToIntDef(hour, -1);
    const int m = strToIntDef(minute, -1);
    const int s = strToIntDef(second, -1);
    const int y = strToIntDef(year, 2000);
    const int d = strToIntDef(day, -1);
    return h >= 0 && h <= 23 && m >= 0 && m <= 59 && s >= 0 && s <= 59 && y >= 1900 && y <= 2099 &&
           d >= 1 && d <= monthLength(monthIndex, y);
}

bool autoStartFieldsValid(const QString& minute, const QString& hour, const QString& day,
                          int monthIndex, int year)
{
    const int m = strToIntDef(minute, -1);
    const int h = strToIntDef(hour, -1);
    const int d = strToIntDef(day, -1);
    return m >= 0 && m <= 59 && h >= 0 && h <= 23 && d >= 1 && d <= monthLength(monthIndex, year);
}

QString autoStartCountdown(double delta)
{
    QString text = QStringLiteral("Instrument will auto start in about ");
    if (delta < kOneMinute) text += pattern::formatDateTime(QStringLiteral("' 's' sec.'"), delta);
    if (delta >= 1) text += pattern::formatNumber(QStringLiteral("0' days, '"), delta - 0.5);
    if (delta > kOneHour) text += pattern::formatDateTime(QStringLiteral("h' hr and '"), delta);
    if (delta > kOneMinute) {
        text += pattern::formatDateTime(QStringLiteral("n' min'"), delta);
        if (delta < kFiveMinutes)
            text += pattern::formatDateTime(QStringLiteral("' and 's' sec.'"), delta);
    }
    return text;
}

}  // namespace nesmo::config
