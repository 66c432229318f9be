#pragma once

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <functional>
#include <memory>

#include "cli/cli_view.h"
#include "cli/instrument_queries.h"
#include "core/app_state.h"
#include "link/port_map.h"

namespace nesmo {

class Link;

namespace cli {

// The exit codes of the tool.
enum ExitCode {
    kDone = 0,
    kRunning = 1,         // the instrument is logging: its tags are not read meanwhile
    kUsage = 2,           // wrong command line
    kNoPort = 3,          // no such port, no permission, port busy, connection refused
    kNotAnswering = 4,    // the instrument did not answer (in time)
    kIncompleteDump = 5,  // a dump ended early; what arrived is kept under its own name
    kNotWritable = 6,     // the file or its folder cannot be written
    kFileExists = 7,      // a download's file exists and neither --force nor --skip-existing
    kNoSuchTag = 8,       // a tag asked for is not on the instrument
    kInterrupted = 130,   // Ctrl-C or SIGTERM; what arrived of a dump is kept as incomplete
};

// The outcome of one step: a code and, unless it is kDone, what to tell.
struct Result {
    int code = kDone;
    QString text;
    bool ok() const { return code == kDone; }
};

// Where the instrument is: a serial port (COMn through the port map, or a device
// path) or, in network mode, a TCP address. `device` is the RS-485 number whose
// lines are heard (0: lines without a number).
struct Target {
    bool network = false;
    QString host;
    quint16 tcpPort = 0;
    QString port;                // "COMn" or a device path
    QMap<int, QString> portMap;  // the settings file's "Ports" section
    int device = 0;
};

// COMn or a device path as a port number of the map (which may gain an entry for
// the path); false for a COM number out of range.
bool resolvePort(const QString& text, PortMap& map, int& number);

struct InstrumentInfo {
    QString serial;
    QString firmware;  // as the instrument writes it, e.g. "1.30"
    bool running = false;
    QString clock;  // "yyyy-MM-dd hh:mm:ss", empty when the instrument gave none
};

struct TagEntry {
    int tag = 0;
    int records = -1;  // -1: not reported
};

struct Dump {
    int tag = 0;
    QString fileName;   // as the program names it, "UNTdddtt.txt"
    qint64 size = 0;    // bytes captured (of the text the data page would get)
    QString error;      // why the file could not be written, if it could not
    int announced = 0;  // records the dump's header announced
    int records = 0;    // record lines received
    bool complete = false;
};

// One conversation with the instrument on the program's own link, receive path
// and reply interpreter, behind a view without widgets. It only ever sends what
// instrument_queries.h names.
class Session {
public:
    explicit Session(const Target& target);
    ~Session();

    // Opens the port and learns the firmware version, as the program does after
    // connecting (the replies and dumps depend on it). A dump that an earlier
    // run left running is waited out first; `notice` hears that it is.
    using Notice = std::function<void(const QString&)>;
    Result open(const Notice& notice = {});
    Result info(InstrumentInfo& out);
    Result tags(QList<TagEntry>& out);
    // The settings as the configuration page reads them, without the alarm
    // level of a mode the instrument is not in (reading it would switch modes).
    Result config(QJsonObject& out);
    // Called for each record line with the count so far and the announced count.
    using Progress = std::function<void(int records, int announced)>;
    // The dump is written to `file` as it arrives, in the form Save As gives the
    // data page's text. A dump that arrives at all gives kDone, complete or not
    // (see Dump::complete); an interrupted one gives kInterrupted with what
    // arrived of it in the file.
    Result dump(int tag, const QString& file, Dump& out, const Progress& progress);

    const AppState& state() const { return state_; }
    // What the program would have shown in message boxes since the last call.
    QStringList takeMessages() { return view_.takeMessages(); }

private:
    Result send(Query q);
    Result drainUnasked(const Notice& notice);
    Result exchange(const QByteArray& text);

    Target target_;
    AppState state_;
    CliView view_;
    std::unique_ptr<Link> link_;
    QString lost_;  // why the link broke, once it has
};

// The program's name of a tag's file, "UNTdddtt.txt" (device number, tag).
QString tagFileName(int device, int tag);
// The name an incomplete dump is kept under: "UNTdddtt.incomplete.txt".
QString incompleteName(const QString& path);

}  // namespace cli
}  // namespace nesmo
