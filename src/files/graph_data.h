#pragma once

// What the Data graph page draws, worked out from the logged-data text alone:
// the title, the series titles, the time of every record and the values of the
// series that are switched on. Widget-free, so that any text can be tried on it.

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>

#include "files/tag_reader.h"

namespace nesmo {

enum GraphSeries { SeriesData, SeriesTemp, SeriesHumidity, SeriesPressure, kSeriesCount };

struct GraphOptions {
    std::array<bool, kSeriesCount> shown = {true, true, true, true};
    bool markers = false;
    bool steps = true;
};

struct GraphData {
    TagHeader header;
    QString title;
    std::array<QString, kSeriesCount> seriesTitles;
    // Record times in days since 30 December 1899, one per record line read.
    QList<double> times;
    // How much later than the file's own stamps (start + k periods) the times
    // above are: a tag of a log period of 5 s or less is drawn a few periods late.
    int drawingDelaySeconds = 0;
    // The header's log period ("hh:mm:ss") in seconds.
    int periodSeconds = 0;
    // The values of each shown series, one per time; a value that could not be
    // read is NaN and leaves a gap. A series that is not shown stays empty.
    std::array<QList<double>, kSeriesCount> values;
    // The left axis may go below 0: a shown value is negative, or a shown
    // concentration is no number. Otherwise it starts at 0.
    bool automaticMinimum = false;
    // Messages for the operator, in order: a missing header key once each, and
    // our own notes on a header that cannot be drawn as it stands.
    QStringList messages;
    // Set when the header's times or date cannot be read; nothing is drawn then
    // (title and series titles are set).
    QString error;
};

// The device number a capture puts into its default name "UNTdddtt.txt"
// (device, tag); 0 for any other name. Shown after "Dev# " in the title.
int deviceNumberFromFileName(const QString& path);

// The day number of a date, counted from 30 December 1899 (1 January 1900 is 2).
long long graphDayNumber(int year, int month, int day);

// The month of "dd-Mmm-yyyy" from its letters (case matters), 0 when none fits.
int graphMonth(QByteArrayView date);

GraphData buildGraphData(QByteArrayView text, const GraphOptions& options, int deviceNumber);

}  // namespace nesmo
