#include "core/date_time.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "core/bytes.h"

namespace nesmo::datetime {

namespace {

bool isLeap(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return (m == 2 && isLeap(y)) ? 29 : kDays[m - 1];
}

// Days from 0001-01-01 to the given date (Gregorian), the "rata die" count.
long long rataDie(int y, int m, int d)
{
    long long days = d;
    for (int i = 1; i < m; ++i)
        days += daysInMonth(y, i);
    long long py = y - 1;
    days += py * 365 + py / 4 - py / 100 + py / 400;
    return days;
}

const long long kEpoch = rataDie(1899, 12, 30);

}  // namespace

bool encodeDate(int year, int month, int day, double& out)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > daysInMonth(year, month))
        return false;
    out = static_cast<double>(rataDie(year, month, day) - kEpoch);
    return true;
}

double encodeTime(int hours, int minutes, int seconds)
{
    return (hours * 3600.0 + minutes * 60.0 + seconds) / kSecondsPerDay;
}

Parts decode(double serial)
{
    Parts p{1899, 12, 30, 0, 0, 0};
    if (!std::isfinite(serial) || serial > 2958466.0 || serial < -693593.0) return p;
    // Round to whole seconds first so that 23:59:59.9999 does not print as 23:59:59
    // of the wrong day.
    long long totalSeconds = std::llround(serial * kSecondsPerDay);
    long long days = totalSeconds / 86400;
    long long secs = totalSeconds % 86400;
    if (secs < 0) {
        secs += 86400;
        days -= 1;
    }
    p.hour = static_cast<int>(secs / 3600);
    p.minute = static_cast<int>(secs / 60 % 60);
    p.second = static_cast<int>(secs % 60);
    // Serials come in runs of the same day (a tag's records): its calendar date
    // is worked out once for the run.
    struct Day {
        long long days = std::numeric_limits<long long>::min();
        int year = 0, month = 0, day = 0;
    };
    thread_local Day last;
    if (days == last.days) {
        p.year = last.year;
        p.month = last.month;
        p.day = last.day;
        return p;
    }
    // Civil-from-days (Howard Hinnant), days relative to 1970-01-01.
    long long z = days + kEpoch - rataDie(1970, 1, 1) + 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long y = yoe + era * 400;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    p.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    p.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    p.year = static_cast<int>(y + (p.month <= 2 ? 1 : 0));
    last = {days, p.year, p.month, p.day};
    return p;
}

const char* shortMonthName(int month)
{
    static const char* kNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return (month >= 1 && month <= 12) ? kNames[month - 1] : "???";
}

void appendCaptureStamp(QByteArray& line, double serial)
{
    const Parts p = decode(serial);
    if (p.year < 0 || p.year > 9999) {
        char buf[64];
        const int n = std::snprintf(buf, sizeof buf, ",  %02d:%02d:%02d,  %02d-%s-%04d \n", p.hour,
                                    p.minute, p.second, p.day, shortMonthName(p.month), p.year);
        line.append(buf, n);
        return;
    }
    // Every field has its full width here: written digit by digit, as it is once
    // for each record of a download.
    char b[27] = {',', ' ', ' ', 0, 0, ':', 0,   0, ':', 0, 0, ',', ' ', ' ',
                  0,   0,   '-', 0, 0, 0,   '-', 0, 0,   0, 0, ' ', '\n'};
    const auto two = [&b](int at, int v) {
        b[at] = char('0' + v / 10);
        b[at + 1] = char('0' + v % 10);
    };
    two(3, p.hour);
    two(6, p.minute);
    two(9, p.second);
    two(14, p.day);
    std::memcpy(b + 17, shortMonthName(p.month), 3);
    two(21, p.year / 100);
    two(23, p.year % 100);
    appendBytes(line, QByteArrayView(b, sizeof b));
}

}  // namespace nesmo::datetime
