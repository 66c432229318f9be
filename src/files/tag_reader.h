#pragma once

// Reading a logged-data text back: the header values of a tag and its record
// lines. Widget-free; the graph is built from what these return, and they take
// any text (the operator may have edited it, or opened a file that is no tag).

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <array>
#include <limits>

namespace nesmo {

// The header keys, searched as they stand (blanks and quote included), in the
// order the graph reads them.
inline constexpr std::array<const char*, 14> kTagHeaderKeys = {
    "Model Number", "Serial no.",  "Tag Number",  "Start Time", "Start Date",
    "Log Period",   "\"Number   ", "CalFactor",   "Unit    ",   "Unit Name",
    "TEMPUNITS",    "ALARM  ",     "ALARM_LEVEL", "Errors"};

inline const char* const kHeaderProblemMessage =
    "Problem extracting header information. Please reload tag data.";

// The value text of a header key: where the first "\", " within the 50
// characters that start at the key's first occurrence is, three characters on.
// A key that does not occur is looked for from the start of the text instead;
// a key followed by no separator in the window has an empty value. The value
// runs to the end of the text; the readers below take what they need of it.
struct HeaderValue {
    QByteArrayView text;
    bool keyFound = false;
};
HeaderValue FindHeaderValue(QByteArrayView text, QByteArrayView key);

// The value of a header line as the operator reads it: to the end of its line,
// without blanks and enclosing quotes. Empty when the key does not occur; `found`
// (if given) tells whether it does.
QByteArray headerLineValue(QByteArrayView text, QByteArrayView key, bool* found = nullptr);

// The tag's concentration alarm from "ALARM  " and "ALARM_LEVEL". Any setting
// but "OFF" (in any case) or none is on; the level counts only when it reads as
// a number.
struct TagAlarm {
    QByteArray setting;  // as it stands, without quotes
    bool on = false;
    bool levelRead = false;
    double level = std::numeric_limits<double>::quiet_NaN();
};
TagAlarm readTagAlarm(QByteArrayView text);

// The values the graph takes from the header.
struct TagHeader {
    QByteArray Model;          // the 10 characters after the opening quote
    QByteArray SerialNo;       // up to 10 characters, cut at a double quote
    int TagNumber = 0;         // "%i"
    QByteArray StartTime;      // hh:mm:ss
    QByteArray StartDate;      // dd-Mmm-yyyy
    QByteArray LogPeriodText;  // hh:mm:ss
    int NumberOfRecords = 0;   // "%i"
    QByteArray UnitName;       // up to 5 characters after the opening quote
    char TempUnits = ' ';      // the value's first character
    TagAlarm alarm;
    // The keys that do not occur in the text, in reading order, each once.
    QList<QByteArray> missingKeys;
};
TagHeader readTagHeader(QByteArrayView text);

// An integer as "%i" reads it: blanks, a sign, then decimal digits, hex after
// 0x, or octal after a leading 0. Nothing readable gives 0; values beyond
// 32 bits saturate. `ok` (if given) tells whether any digit was read.
int scanInteger(QByteArrayView text, bool* ok = nullptr);

// The four values of one record line; a value that could not be read is NaN.
struct RecordValues {
    double concentration = std::numeric_limits<double>::quiet_NaN();
    double temperature = std::numeric_limits<double>::quiet_NaN();
    double humidity = std::numeric_limits<double>::quiet_NaN();
    double pressure = std::numeric_limits<double>::quiet_NaN();
};
// Reads "%*i, %f, %f, %i, %f": the record number is skipped; reading stops at
// the first field that does not match, and the fields from there on are NaN.
RecordValues readRecordLine(QByteArrayView line);

// The record lines: at most `count` lines after the first line that holds
// "record,". No such line, or a text that ends early, gives fewer.
QList<QByteArrayView> recordLines(QByteArrayView text, int count);

// The four value fields of a record line as the file writes them, blanks
// trimmed: the text between the commas after the record number. A field the
// line does not reach is empty. Unlike readRecordLine, a field that cannot be
// read leaves the others as they are.
std::array<QByteArrayView, 4> recordFields(QByteArrayView line);

// Whether a field is a number as the instrument writes one: digits with a sign
// and a full stop, however large (not "inf" or "nan", which no instrument writes).
bool isNumberField(QByteArrayView field);

// The field's value; NaN when it is no number or beyond the range of a double.
double numberField(QByteArrayView field);

// The concentration unit as the instrument names it: the header's "Unit Name"
// without the closing quote that a name shorter than five characters is read
// with, blanks trimmed ("/Mm\"" gives "/Mm").
QByteArray concentrationUnit(const TagHeader& header);

}  // namespace nesmo
