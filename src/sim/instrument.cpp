#include "sim/instrument.h"

#include <cmath>

namespace nesmo::sim {

namespace {

QDateTime computerClock()
{
    // Instrument time is wall-clock time without a zone: the instrument knows no
    // daylight saving, so its arithmetic is done in UTC terms.
    const QDateTime local = QDateTime::currentDateTime();
    return QDateTime(local.date(), local.time(), Qt::UTC);
}

QDateTime wholeSeconds(const QDateTime& t)
{
    const QTime time = t.time();
    return QDateTime(t.date(), QTime(time.hour(), time.minute(), time.second()), Qt::UTC);
}

std::optional<Key> keyNamed(const QByteArray& name)
{
    if (name == "UP") return Key::Up;
    if (name == "DOWN") return Key::Down;
    if (name == "ENTER") return Key::Enter;
    if (name == "ESC") return Key::Esc;
    if (name == "ONOFF") return Key::OnOff;
    return std::nullopt;
}

}  // namespace

Instrument::Instrument(const InstrumentSetup& setup, HostClock hostClock)
    : m_setup(setup),
      m_hostClock(hostClock ? std::move(hostClock) : HostClock(computerClock)),
      m_firmware(setup.firmware),
      m_settings(factorySettings()),
      m_loader(setup.refuseSends, setup.integrity),
      m_air(0x4C495645ull)
{
    if (setup.clock.isValid()) setClock(setup.clock);
    if (setup.builtInTags) {
        m_tags.put(generatedTag(1, 100, 60));
        m_tags.put(generatedTag(2, 0, 60));
        m_tags.put(generatedTag(3, 1, 60));
        m_tags.put(generatedTag(4, 3000, 10));
        m_tags.put(builtInTag9());
    }
    for (const TagRequest& t : setup.tags)
        m_tags.put(generatedTag(t.number, t.count, t.periodSeconds));
    for (const TagRequest& t : setup.trickyTags)
        m_tags.put(trickyTag(t.number, t.count));

    m_lastReading = now();
    m_reading = m_air.sample(m_lastReading, 1.0);
    if (setup.running) startRun();
}

QDateTime Instrument::now() const
{
    return m_hostClock().addMSecs(m_clockOffset);
}

void Instrument::setClock(const QDateTime& instrumentTime)
{
    m_clockOffset = m_hostClock().msecsTo(instrumentTime);
}

int Instrument::firmwareHundredths() const
{
    return int(std::floor(m_firmware.toDouble() * 100.0 + 1e-6));
}

QByteArray Instrument::frame(const Lines& lines, bool prompt) const
{
    const QByteArray prefix =
        m_setup.device ? QByteArray::number(m_setup.device) + ' ' : QByteArray();
    QByteArray out;
    for (const QByteArray& line : lines)
        out += prefix + line + "\r\n";
    if (prompt && !m_setup.noPrompt) out += '>';
    return out;
}

QByteArray Instrument::execute(const QByteArray& command)
{
    Reply reply = respond(command);
    if (reply.rest)
        while (reply.rest->more(reply.bytes, 1 << 20)) {
        }
    return reply.bytes;
}

Reply Instrument::respond(const QByteArray& command)
{
    const Words w = splitWords(command);
    if (w.isEmpty()) return {};
    logDue();
    const QByteArray keyword = w[0].quoted ? QByteArray() : w[0].upper();
    Lines out;
    bool ok = false;
    bool cut = false;
    std::shared_ptr<ReplyStream> records;

    if (m_loaderOnly && !loaderCommand(keyword, w)) {
        ok = false;
    } else if (m_loaderOnly && keyword == "KEY") {
        ok = true;  // no menu without a program
    } else if (keyword == "V") {
        ok = variable(w, out);
    } else if (keyword == "D" || keyword == "G") {
        ok = true;  // display refresh and "go": nothing to report
    } else if (keyword == "KEY") {
        ok = key(w);
    } else if (keyword == "TAG") {
        ok = tagCommand(w, out);
    } else if (keyword == "TAGS") {
        ok = tagsCommand(w, out);
    } else if (keyword == "TAGDUMP") {
        ok = tagDump(w, out, cut, records);
    } else if (keyword == "ALARM") {
        ok = alarm(w, out);
    } else if (keyword == "SITE") {
        ok = site(w, out);
    } else if (keyword == "AUTOSTART") {
        ok = autoStart(w, out);
    } else if (keyword == "TIME" || keyword == "DATE") {
        ok = clock(keyword, w, out);
    } else {
        ok = setting(keyword, w, out);
    }
    if (!ok) return {frame({"HUH?"}), nullptr};
    // A dump's prompt comes after its last record line.
    return {frame(out, !cut && !records), records};
}

bool Instrument::loaderCommand(const QByteArray& keyword, const Words& w)
{
    if (keyword == "KEY") return true;
    if (keyword != "V" || w.size() < 2 || !w[1].isInt()) return false;
    const int n = w[1].toInt();
    return n == 157 || n == 251 || n == 252;
}

bool Instrument::variable(const Words& w, Lines& out)
{
    if (w.size() < 2 || !w[1].isInt()) return false;
    const int n = w[1].toInt();
    const QByteArray head = "V " + QByteArray::number(n);
    switch (n) {
        case 5: out << head + ' ' + displayLine(); return true;
        case 141:
            // Firmware before 0.67 put a reserved number before the keyword.
            out << head + (firmwareHundredths() < 67 ? " 0" : "") + " SERIALNUMBER \"" +
                       m_setup.serial + '"';
            return true;
        case 144: out << head + " \"" + m_firmware + '"'; return true;
        case 147:
            // Delete the current tag; a tag being logged into stays.
            if (!(m_running && m_logTag == m_settings.tag)) m_tags.remove(m_settings.tag);
            return true;
        case 157: out << head + (m_running ? " ON" : " OFF"); return true;
        case 160:
            if (m_running) {
                out << head + " OFF";
            } else if (!m_setup.reformatNever) {
                m_reformatDue = m_hostClock().addSecs(m_setup.reformatSeconds);
            }
            return true;
        case 236: {
            const QDateTime t = now();
            out << head + formatted(" %d %d %d %d %d %d", t.time().second(), t.time().minute(),
                                    t.time().hour(), t.date().day(), t.date().month(),
                                    t.date().year());
            return true;
        }
        case 245:
            // Settings backup came with firmware 1.30.
            if (firmwareHundredths() < 130) return false;
            m_backup = m_settings;
            out << head;
            return true;
        case 246:
            // Restore came with 1.30 too; firmware 99.26 lacks it.
            if (firmwareHundredths() < 130 || firmwareHundredths() == 9926) return false;
            if (m_backup) m_settings = *m_backup;
            out << head + (m_backup ? " ON" : " OFF");
            return true;
        case 251: {
            // A running instrument refuses every record; the boot loader never sees it.
            const QByteArray first = w.size() > 2 ? w[2].text : QByteArray();
            const QByteArray second = w.size() > 3 ? w[3].text : QByteArray();
            if (m_running) {
                out << head + " OFF";
                return true;
            }
            // The first record erases the program: until an image passes its
            // test, only the boot loader is there.
            m_loaderOnly = true;
            out << head + (m_loader.receive(first, second) ? " ON" : " OFF");
            return true;
        }
        case 252: {
            if (w.size() > 2) {
                if (w[2].toInt() != 1) return false;
                m_loader.startTest();
                out << head + " ON";
                return true;
            }
            const FirmwareLoader::Report r = m_loader.report();
            if (!r.finished) {
                // The test still runs: no numbers yet.
                out << head + " BUSY";
                return true;
            }
            out << head + formatted(" %d %d %d %d", r.numbers[0], r.numbers[1], r.numbers[2],
                                    r.numbers[3]);
            if (r.installs) {
                // The new firmware starts with factory settings; the backup survives.
                if (!r.version.isEmpty()) m_firmware = r.version;
                m_settings = factorySettings();
                m_loaderOnly = false;
            }
            return true;
        }
        default: return false;
    }
}

QByteArray Instrument::displayLine() const
{
    DisplayContext c;
    c.running = m_running;
    c.now = now();
    c.dust = dustInUnits(m_reading.dust, m_settings.units);
    c.serial = m_setup.serial;
    c.firmware = m_firmware;
    const auto [first, second] = m_menu.lines(m_settings, c);
    return '"' + first + "\" \"" + second + "\" 0";
}

bool Instrument::key(const Words& w)
{
    if (w.size() < 2) return false;
    const std::optional<Key> k = keyNamed(w[1].upper());
    if (!k) return false;
    switch (m_menu.press(*k, m_settings, m_running)) {
        case DisplayMenu::Action::StartRun: startRun(); break;
        case DisplayMenu::Action::StopRun:
            // A sticky run ignores the request; the display has moved on all the same.
            if (!m_setup.stickyRun) stopRun();
            break;
        case DisplayMenu::Action::None: break;
    }
    return true;
}

void Instrument::startRun()
{
    if (m_running) return;
    m_running = true;
    m_runStart = wholeSeconds(now());
    m_logTag = -1;
    if (!m_settings.logging) return;
    // A run logs into the current tag, starting it afresh.
    Tag t;
    t.number = m_settings.tag;
    t.start = m_runStart;
    t.periodSeconds = m_settings.logPeriod;
    t.calFactor = m_settings.currentSite().factor;
    t.units = m_settings.units;
    t.tempUnits = m_settings.tempUnits;
    t.alarm = m_settings.alarmMode == AlarmStel      ? "STEL"
              : m_settings.alarmMode == AlarmInstant ? "INSTANT"
                                                     : "OFF";
    t.alarmLevel = m_settings.alarmMode == AlarmStel      ? m_settings.stelLevel
                   : m_settings.alarmMode == AlarmInstant ? m_settings.instantLevel
                                                          : 0.0;
    m_tags.put(t);
    m_logTag = t.number;
}

void Instrument::stopRun()
{
    logDue();
    m_running = false;
    m_logTag = -1;
}

void Instrument::logDue()
{
    Tag* t = m_running && m_logTag >= 0 ? m_tags.find(m_logTag) : nullptr;
    if (!t) return;
    const qint64 due = t->start.secsTo(now()) / t->periodSeconds;
    while (qint64(t->records.size()) < std::min<qint64>(due, TagStore::kMaxRecords)) {
        const QDateTime at = t->start.addSecs(qint64(t->records.size() + 1) * t->periodSeconds);
        t->records.push_back(
            recordFromSample(m_air.sample(at, t->periodSeconds), t->units, t->tempUnits));
    }
}

QByteArray Instrument::tick()
{
    const QDateTime t = now();
    m_reading = m_air.sample(t, std::max<qint64>(1, m_lastReading.secsTo(t)));
    m_lastReading = t;
    logDue();

    const AutoStartSetting& a = m_settings.autoStart;
    if (a.enabled && !m_running &&
        t >= QDateTime(QDate(a.year, a.month, a.day), QTime(a.hour, a.minute), Qt::UTC)) {
        m_settings.autoStart.enabled = false;
        startRun();
    }

    if (m_reformatDue && m_hostClock() >= *m_reformatDue) {
        m_reformatDue.reset();
        m_tags.clear();
        resetSites(m_settings);
        return frame({"V 160 ON"});
    }
    return {};
}

}  // namespace nesmo::sim
