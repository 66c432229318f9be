#pragma once

// A tag as comma-separated values for spreadsheets and scripts: one row a
// record with its time as the file stamps it (ISO 8601, the instrument's local
// clock, no offset) and its four values as the file writes them (a full stop as
// decimal separator, whatever the locale); the header values in a second,
// key-value file for those who want them. Widget-free.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace nesmo {

struct CsvExport {
    // Set when the header's times or date cannot be read; nothing else is then.
    QString error;
    // "time,concentration_<unit>,temperature_C,rh_percent,pressure_mmHg", then
    // one row a record line. Lines end with CR LF; fields are quoted only where
    // they must be (a comma, a double quote or a line end in them); a field
    // that is no number is an empty field.
    QByteArray records;
    // "key,value", then model, serial, tag, site, start, time_zone,
    // log_period_s, records, calibration_factor, concentration_unit,
    // temperature_unit, alarm and alarm_level. A text from the instrument or
    // the operator that starts like a formula (=, +, -, @, tab, CR) has a
    // leading apostrophe.
    QByteArray header;
    int rows = 0;
};

// The CSV of a logged-data text (the Data text page's text, or a file's).
CsvExport exportCsv(QByteArrayView tagText);

// "site-a/UNT00009.csv" gives "site-a/UNT00009.header.csv".
QString csvHeaderFileName(const QString& csvPath);

// One field as RFC 4180 has it: quoted, with its quotes doubled, when it holds a
// comma, a double quote, a carriage return or a line feed.
QByteArray csvField(QByteArrayView text);

}  // namespace nesmo
