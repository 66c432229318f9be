#pragma once

#include <optional>

namespace nesmo::reply {

// Pure conversions of the values in the instrument's replies.

// The firmware version text of variable 144 ("1.28") as version x 100: the text
// read as the nearest double ("." decimal point, whatever the C locale says),
// multiplied by 100 in one double operation and truncated toward zero, so
// "1.28" gives 128 and "0.29" gives 28. Leading blanks and a "+" are allowed and
// reading stops at the first character that does not belong to the number.
// Nothing when the text does not start with a number or the result does not fit
// an int.
std::optional<int> firmwareVersionFromText(const char* text);

// Header bare words. Fields sit at fixed character positions (counted from 1):
// hours or day at 1-2, minutes at 4-5, seconds at 7-8, month letters at 4-6,
// year at 8-11; the separators between them are not checked. A numeric field
// reads as its leading decimal digits ("5:" reads 5, "1x" reads 1); a field that
// does not start with a digit (missing, a letter, a sign) has no value.

// "hh:mm:ss" as a time of day in days: nothing unless every field has a value
// and they form a time of day (hours 0-23, minutes and seconds 0-59).
std::optional<double> headerTimeOfDay(const char* word);

// "hh:mm:ss" as a time span in days: nothing unless every field has a value and
// minutes and seconds are 0-59 (hours 0-99).
std::optional<double> headerPeriod(const char* word);

// The month of "dd-Mon-yyyy" from its letters, case-sensitively: "Jun" is 6 but
// "JUN" falls through to 7, as the instrument's own rule has it; anything not
// recognised is 12.
int headerMonth(const char* word);

// "dd-Mon-yyyy" as a date serial (days since 30 Dec 1899): nothing unless day and
// year have values and form a real date with the month.
std::optional<double> headerDate(const char* word);

}  // namespace nesmo::reply
