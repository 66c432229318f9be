#pragma once

#include <QByteArray>

namespace nesmo::cli {

// Everything the tool can ever send: queries that report and the tag dump, which
// reads a tag and leaves it in place. Nothing here sets, deletes, re-formats or
// loads firmware; the texts are the program's own (link/commands.h).
enum class Query {
    FirmwareVersion,
    SerialNumber,
    RunMode,
    Date,
    Time,
    TagList,
    TagCounts,
    // The settings, each read by its own query. The alarm levels are not among
    // them: the instrument tells the level of another alarm mode only after
    // switching to that mode.
    LogPeriod,
    AutoStart,
    Tag,
    DisplayAvg,
    Units,
    AnalogOut,
    FlowRate,
    RhCorrect,
    Backlight,
    Alarm,
    Inlet,
    Site,
    CalFactor,
};

QByteArray queryText(Query q);

// The dump of tag 0-99, sent as the program sends it (the number as its tag list
// shows it, two characters wide).
QByteArray tagDumpText(int tag);

}  // namespace nesmo::cli
