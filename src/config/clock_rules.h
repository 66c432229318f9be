#pragma once

#include <QString>

namespace nesmo::config {

// The checks of the clock, the logging period and the delayed auto-start, as
// pure functions of the texts and selections of the page's fields.

// Time spans in days, as the checks compare them.
inline constexpr double kOneMinute = 0.0006944444444;
inline constexpr double kFiveMinutes = 0.00347222222222222;
inline constexpr double kOneHour = 0.041666666667;
inline constexpr double kAutoStartLimitDays = 999.999;
// Added to the clock when a passed auto-start starts at once, or is put off.
inline constexpr double kAboutOneSecond = 1.2e-05;
inline constexpr double kOneHourLater = 0.04166666667;

// The date serial (days since 30 Dec 1899) of a date and time, valid from
// 1 March 1900 to 31 December 2099: 3 March 2024 is 45354.
double DayNumber(int year, int month, int day, int hour, int minute, int second);

// Days in the month of a month list's item (0 January .. 11 December) in a year:
// 31 when no month is selected; February has 29 days in every fourth year.
int monthLength(int monthIndex, int year);

// The logging period: valid when hours, minutes and seconds each lie from 0 to 59
// and the total from 1 second to 1 hour. An invalid period is replaced by one
// hour when it is too long, otherwise by one minute.
struct LogPeriodCheck {
    bool valid = true;
    QString hours, minutes, seconds;  // the replacement texts when not valid
};
LogPeriodCheck checkLogPeriod(const QString& hours, const QString& minutes, const QString& seconds);
inline constexpr char kLogPeriodMessage[] =
    "A problem was encountered deciphering the Logging period.\r\rThe logging period must be "
    "entered as hours, minutes and seconds.\rThe minimum logging period is 1 second and the "
    "maximum is 1 hour.";

// A manually entered clock: hour 0-23, minute and second 0-59, year 1900-2099
// (an unreadable year counts as 2000), day within the selected month.
bool manualClockValid(const QString& hour, const QString& minute, const QString& second,
                      const QString& year, int monthIndex, const QString& day);
inline constexpr char kManualClockCaption[] = "Nesmo-7";
inline constexpr char kManualClockQuestion[] =
    "The format of the time or date entered is not understood or contains errors. \r\rIs it OK "
    "to synchronize the Nesmo-7 clock to the computer?";

// The auto-start's minute (0-59), hour (0-23) and day (within the selected month
// of the given year).
bool autoStartFieldsValid(const QString& minute, const QString& hour, const QString& day,
                          int monthIndex, int year);
inline constexpr char kAutoStartError[] = "An error was detected in the Auto Start Time.";
inline constexpr char kAutoStartTooFar[] =
    "An error was detected in the Auto Start Time.\r Time entered exceeds the limit of 999 days.";
inline constexpr char kAutoStartPassedCaption[] = "Nesmo-7 Auto Start error";
inline constexpr char kAutoStartPassedQuestion[] =
    "Auto Start time entered has passed. Start instrument now?";

// "Instrument will auto start in about 2 days, 3 hr and 4 min" for a delay of
// delta days.
QString autoStartCountdown(double delta);

}  // namespace nesmo::config
