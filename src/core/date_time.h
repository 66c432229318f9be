#pragma once

#include <QByteArray>

namespace nesmo {

// Date-time values are days since 30 December 1899, the time of day being the
// fraction; time spans use the same unit.
namespace datetime {

inline constexpr double kSecondsPerDay = 86400.0;

// Serial day number of a calendar date (proleptic Gregorian), 0 for 30 Dec 1899.
// Returns false (and leaves out untouched) when the date does not exist.
bool encodeDate(int year, int month, int day, double& out);

// The time span of h hours, m minutes and s seconds, in days. No range check.
double encodeTime(int hours, int minutes, int seconds);

struct Parts {
    int year, month, day, hour, minute, second;
};
// Splits a serial into calendar parts, rounding to the nearest second.
Parts decode(double serial);

// English three-letter month name, 1..12.
const char* shortMonthName(int month);

// Appends the capture time stamp ",  hh:mm:ss,  dd-Mmm-yyyy \n".
void appendCaptureStamp(QByteArray& line, double serial);

}  // namespace datetime
}  // namespace nesmo
