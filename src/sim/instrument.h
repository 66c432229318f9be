#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>

#include <functional>
#include <optional>

#include "sim/atmosphere.h"
#include "sim/command_text.h"
#include "sim/display_menu.h"
#include "sim/firmware_loader.h"
#include "sim/instrument_state.h"
#include "sim/reply_stream.h"
#include "sim/tag_store.h"

namespace nesmo::sim {

// A tag to add at start: count records logged every periodSeconds.
struct TagRequest {
    int number = 0;
    int count = 0;
    int periodSeconds = 60;
};

// How the instrument is built and how it misbehaves in what it says.
struct InstrumentSetup {
    QByteArray serial = "20871";
    QByteArray firmware = "1.28";
    int device = 0;  // RS-485 device number; when not 0 every reply line starts with it
    bool running = false;
    int reformatSeconds = 100;
    QDateTime clock;  // the instrument clock at start; invalid: the computer's clock
    bool builtInTags = true;
    QList<TagRequest> tags;
    QList<TagRequest> trickyTags;
    bool noPrompt = false;         // leave the prompt out of every reply
    bool cutDump = false;          // a dump stops before its last record, without prompt
    int refuseSends = 0;           // firmware records are refused this many times first
    IntegrityBehaviour integrity;  // how the firmware integrity test turns out
    bool stickyRun = false;        // the keys cannot stop a run
    bool reformatNever = false;    // a memory re-format never reports that it is done
};

// The simulated Nesmo-7: its settings, clock, data memory, display and
// command interpreter. It does no I/O: a command goes in, the reply bytes
// (lines ended by CR LF, then the prompt ">") come out.
class Instrument {
public:
    // The clock of the host computer; the instrument clock runs at an offset to it.
    using HostClock = std::function<QDateTime()>;

    explicit Instrument(const InstrumentSetup& setup, HostClock hostClock = {});

    // Executes one command (its text without the carriage return) and returns
    // the whole reply. A blank command gets no reply at all.
    QByteArray execute(const QByteArray& command);
    // The same reply as the link sends it: a dump's record lines follow as a
    // stream, made as they are taken.
    Reply respond(const QByteArray& command);

    // Lets time pass: the reading, logging in run mode, auto-start, the end
    // of a memory re-format. Returns what the instrument says unasked, framed
    // like a reply; empty when nothing.
    QByteArray tick();

    QDateTime now() const;
    bool running() const { return m_running; }
    const Settings& settings() const { return m_settings; }
    const TagStore& tagStore() const { return m_tags; }
    const QByteArray& firmware() const { return m_firmware; }
    const DisplayMenu& display() const { return m_menu; }

    // The firmware version times 100 (1.28 gives 128).
    int firmwareHundredths() const;
    // A firmware transfer has begun and no complete image has been installed
    // since: the program is erased, only the boot loader answers.
    bool loaderOnly() const { return m_loaderOnly; }
    int firmwareRecordsAccepted() const { return m_loader.accepted(); }

private:
    using Lines = QList<QByteArray>;
    using Words = QList<Word>;

    QByteArray frame(const Lines& lines, bool prompt = true) const;

    // Command handlers: false means the command was not understood (HUH?).
    bool variable(const Words& w, Lines& out);
    bool key(const Words& w);
    bool tagCommand(const Words& w, Lines& out);
    bool tagsCommand(const Words& w, Lines& out);
    bool tagDump(const Words& w, Lines& out, bool& cut, std::shared_ptr<ReplyStream>& records);
    bool setting(const QByteArray& keyword, const Words& w, Lines& out);
    // What the boot loader alone still understands.
    static bool loaderCommand(const QByteArray& keyword, const Words& w);
    bool alarm(const Words& w, Lines& out);
    bool site(const Words& w, Lines& out);
    bool autoStart(const Words& w, Lines& out);
    bool clock(const QByteArray& keyword, const Words& w, Lines& out);

    QByteArray siteLine(int number) const;
    QByteArray alarmLine() const;
    QByteArray displayLine() const;

    void startRun();
    void stopRun();
    void logDue();
    void setClock(const QDateTime& instrumentTime);

    InstrumentSetup m_setup;
    HostClock m_hostClock;
    qint64 m_clockOffset = 0;  // instrument clock minus host clock, ms
    QByteArray m_firmware;
    Settings m_settings;
    std::optional<Settings> m_backup;
    TagStore m_tags;
    DisplayMenu m_menu;
    FirmwareLoader m_loader;
    Atmosphere m_air;
    Sample m_reading;
    QDateTime m_lastReading;

    bool m_running = false;
    bool m_loaderOnly = false;
    QDateTime m_runStart;                    // instrument time the current run began
    int m_logTag = -1;                       // the tag the run logs into, -1 when not logging
    std::optional<QDateTime> m_reformatDue;  // host time
};

}  // namespace nesmo::sim
