// The setting commands of the instrument: each answers with its keyword and
// the current value, after storing a new value when one is given.
#include <QDate>

#include <algorithm>
#include <cmath>

#include "sim/instrument.h"

namespace nesmo::sim {

namespace {

// Longest site name the instrument stores.
constexpr int kSiteNameLength = 39;

std::optional<bool> onOffWord(const Word& w)
{
    const QByteArray u = w.upper();
    if (u == "ON" || u == "ENABLE" || u == "ENABLED" || u == "DONE" || u == "1") return true;
    if (u == "OFF" || u == "DISABLE" || u == "DISABLED" || u == "0") return false;
    return std::nullopt;
}

QByteArray onOff(bool on)
{
    return on ? "ON" : "OFF";
}

// Highest analog output range of each units code.
int analogMax(int units)
{
    switch (units) {
        case 1: return 5;
        case 3: return 1;
        default: return 9;
    }
}

bool intIn(const Word& w, int low, int high, int& out)
{
    if (!w.isInt()) return false;
    const int v = w.toInt();
    if (v < low || v > high) return false;
    out = v;
    return true;
}

int fullYear(int y)
{
    return y < 100 ? 2000 + y : y;
}

}  // namespace

void resetSites(Settings& s)
{
    for (int i = 0; i < Settings::kSites; ++i)
        s.sites[size_t(i)] = Site{"Site " + QByteArray::number(i + 1), 1.0};
    s.sites[0] = Site{"Factory default", 1.0};
    s.site = 1;
}

void factorySites(Settings& s)
{
    resetSites(s);
    const Site named[] = {{"Foundry bay 2", 1.18},  {"Grinding shop", 0.95},
                          {"Quarry crusher", 1.42}, {"Office corridor", 1.0},
                          {"Weld station 7", 0.87}, {"Loading dock", 1.05},
                          {"Mill room", 1.23}};
    for (size_t i = 0; i < std::size(named); ++i)
        s.sites[i + 1] = named[i];
}

Settings factorySettings()
{
    Settings s;
    factorySites(s);
    return s;
}

bool Instrument::setting(const QByteArray& keyword, const Words& w, Lines& out)
{
    Settings& s = m_settings;
    const bool set = w.size() > 1;
    const Word arg = set ? w[1] : Word();

    if (keyword == "LOGPERIOD") {
        if (set && !intIn(arg, 1, 3600, s.logPeriod)) return false;
        out << "LOGPERIOD " + QByteArray::number(s.logPeriod);
    } else if (keyword == "DISPLAYAVG") {
        if (set) {
            const double v = arg.toReal();
            if (!arg.isReal() || v < 0.5 || v >= 60.5) return false;
            s.displayAvg = int(std::lround(v));
        }
        out << "DISPLAYAVG " + QByteArray::number(s.displayAvg);
    } else if (keyword == "UNITS") {
        if (set && !intIn(arg, 0, 3, s.units)) return false;
        s.analogOut = std::min(s.analogOut, analogMax(s.units));
        out << "UNITS " + QByteArray::number(s.units);
    } else if (keyword == "ANALOGOUT") {
        if (set && !intIn(arg, 0, analogMax(s.units), s.analogOut)) return false;
        out << "ANALOGOUT " + QByteArray::number(s.analogOut);
    } else if (keyword == "FLOWRATE") {
        // The pump cannot go outside 1.0 to 3.5 L/min; other values are limited.
        if (set) {
            if (!arg.isReal()) return false;
            s.flowRate = std::clamp(std::round(arg.toReal() * 100.0) / 100.0, 1.0, 3.5);
        }
        out << "FLOWRATE " + QByteArray::number(s.flowRate, 'f', 2);
    } else if (keyword == "INLET") {
        if (set && !intIn(arg, 0, 2, s.inlet)) return false;
        out << "INLET " + QByteArray::number(s.inlet);
    } else if (keyword == "RHCORRECT" || keyword == "BACKLIGHT") {
        bool& value = keyword == "RHCORRECT" ? s.rhCorrect : s.backlight;
        if (set) {
            const std::optional<bool> on = onOffWord(arg);
            if (!on) return false;
            value = *on;
        }
        out << keyword + ' ' + onOff(value);
    } else if (keyword == "CALFACTOR") {
        if (set) {
            if (!arg.isReal() || arg.toReal() <= 0.0 || arg.toReal() >= 1000.0) return false;
            s.currentSite().factor = arg.toReal();
        }
        out << "CALFACTOR " + QByteArray::number(s.currentSite().factor, 'f', 3);
    } else if (keyword == "TEMPUNITS") {
        if (set) {
            const QByteArray u = arg.upper();
            if (u != "C" && u != "F") return false;
            s.tempUnits = u[0];
        }
        out << "TEMPUNITS " + QByteArray(1, s.tempUnits);
    } else {
        return false;
    }
    return true;
}

QByteArray Instrument::alarmLine() const
{
    const Settings& s = m_settings;
    switch (s.alarmMode) {
        case AlarmInstant:
            // Firmware before 1.28 knows only on and off.
            return (firmwareHundredths() < 128 ? "ALARM ON " : "ALARM INSTANT ") +
                   QByteArray::number(s.instantLevel, 'f', 3);
        case AlarmStel: return "ALARM STEL " + QByteArray::number(s.stelLevel, 'f', 3);
        default: return "ALARM OFF " + QByteArray::number(s.instantLevel, 'f', 3);
    }
}

bool Instrument::alarm(const Words& w, Lines& out)
{
    Settings& s = m_settings;
    if (w.size() > 1) {
        const QByteArray u = w[1].upper();
        int mode = -1;
        if (w[1].isInt()) mode = w[1].toInt();
        if (u == "OFF" || u == "DISABLE" || u == "DISABLED") mode = AlarmOff;
        if (u == "ON" || u == "ENABLE" || u == "ENABLED" || u == "INSTANT") mode = AlarmInstant;
        if (u == "STEL") mode = AlarmStel;
        if (mode < AlarmOff || mode > AlarmStel) return false;
        if (mode == AlarmStel && firmwareHundredths() < 128) return false;
        if (w.size() > 2) {
            if (!w[2].isReal() || w[2].toReal() < 0.0 || w[2].toReal() >= 100000.0) return false;
            if (mode == AlarmInstant) s.instantLevel = w[2].toReal();
            if (mode == AlarmStel) s.stelLevel = w[2].toReal();
        }
        s.alarmMode = mode;
    }
    out << alarmLine();
    return true;
}

QByteArray Instrument::siteLine(int number) const
{
    const Site& site = m_settings.sites[size_t(number - 1)];
    return "SITE " + QByteArray::number(number) + " \"" + site.name + "\" " +
           QByteArray::number(site.factor, 'f', 3);
}

bool Instrument::site(const Words& w, Lines& out)
{
    Settings& s = m_settings;
    if (w.size() > 1) {
        int n = 0;
        if (!intIn(w[1], 1, Settings::kSites, n)) return false;
        Site& site = s.sites[size_t(n - 1)];
        // "site n" selects a site, "site n "name" [factor]" defines and selects it,
        // "site n 0 [factor]" selects it and sets its factor.
        int factorAt = 0;
        if (w.size() > 2) {
            // A running instrument takes no site definitions.
            if (m_running) return false;
            if (w[2].quoted || !w[2].isReal()) {
                if (w.size() > 3 && !w[3].isReal()) return false;
                site.name = w[2].text.left(kSiteNameLength);
            }
            factorAt = 3;
        }
        if (factorAt && w.size() > factorAt) {
            const double f = w[factorAt].toReal();
            if (!w[factorAt].isReal() || f <= 0.0 || f >= 1000.0) return false;
            site.factor = f;
        }
        s.site = n;
    }
    out << siteLine(s.site);
    return true;
}

bool Instrument::autoStart(const Words& w, Lines& out)
{
    AutoStartSetting& a = m_settings.autoStart;
    if (w.size() > 1) {
        // minute hour day month [year] on|off; the year may have two digits.
        if (w.size() != 6 && w.size() != 7) return false;
        const std::optional<bool> on = onOffWord(w.last());
        if (!on) return false;
        AutoStartSetting n = a;
        if (!intIn(w[1], 0, 59, n.minute) || !intIn(w[2], 0, 23, n.hour) ||
            !intIn(w[3], 1, 31, n.day) || !intIn(w[4], 1, 12, n.month))
            return false;
        if (w.size() == 7) {
            if (!intIn(w[5], 0, 2099, n.year)) return false;
            n.year = fullYear(n.year);
        }
        if (!QDate::isValid(n.year, n.month, n.day)) return false;
        n.enabled = *on;
        a = n;
    }
    out << formatted("AUTOSTART %d %d %d %d %d ", a.minute, a.hour, a.day, a.month, a.year) +
               onOff(a.enabled);
    return true;
}

bool Instrument::clock(const QByteArray& keyword, const Words& w, Lines& out)
{
    const QDateTime t = now();
    if (w.size() > 1) {
        if (w.size() < 4) return false;
        int a = 0, b = 0, c = 0;
        if (keyword == "TIME") {
            // seconds minutes hours
            if (!intIn(w[1], 0, 59, a) || !intIn(w[2], 0, 59, b) || !intIn(w[3], 0, 23, c))
                return false;
            setClock(QDateTime(t.date(), QTime(c, b, a), Qt::UTC));
        } else {
            // day month year
            if (!intIn(w[1], 1, 31, a) || !intIn(w[2], 1, 12, b) || !intIn(w[3], 0, 2099, c))
                return false;
            const QDate d(fullYear(c), b, a);
            if (!d.isValid()) return false;
            setClock(QDateTime(d, t.time(), Qt::UTC));
        }
    }
    const QDateTime n = now();
    if (keyword == "TIME") {
        out << formatted("TIME %d %d %d", n.time().second(), n.time().minute(), n.time().hour());
    } else {
        out << formatted("DATE %d %d %d", n.date().day(), n.date().month(), n.date().year());
    }
    return true;
}

bool Instrument::tagCommand(const Words& w, Lines& out)
{
    Settings& s = m_settings;
    // "tag n [on|off] [...]": numbers after the switch (a tag list entry's
    // record count, say) are ignored.
    if (w.size() > 1) {
        int at = 1;
        int number = s.tag;
        if (w[1].isInt()) {
            if (!intIn(w[1], 0, 99, number)) return false;
            at = 2;
        }
        std::optional<bool> on;
        if (w.size() > at && !w[at].isInt()) {
            on = onOffWord(w[at]);
            if (!on) return false;
        }
        if (at == 1 && !on) return false;
        s.tag = number;
        if (on) s.logging = *on;
    }
    out << "TAG " + QByteArray::number(s.tag) + ' ' + onOff(s.logging);
    return true;
}

bool Instrument::tagsCommand(const Words& w, Lines& out)
{
    // "tags" lists the tag numbers, "tags 1" the record count of each, in the same order.
    const bool counts = w.size() > 1 && w[1].text == "1";
    if (w.size() > 1 && !counts && w[1].text != "0") return false;
    QByteArray line = counts ? "TAGS ON" : "TAGS";
    for (const Tag& t : m_tags.tags())
        line += ' ' + QByteArray::number(counts ? qulonglong(t.records.size()) : t.number);
    out << line;
    return true;
}

namespace {

// A dump's record lines, made while the link takes them, then its prompt. It
// keeps its own copy of the records: a tag deleted meanwhile is still sent whole.
class DumpStream final : public ReplyStream {
public:
    DumpStream(std::vector<Record> records, size_t count, QByteArray prefix, bool prompt)
        : m_records(std::move(records)),
          m_count(std::min(count, m_records.size())),
          m_prefix(std::move(prefix)),
          m_prompt(prompt)
    {
    }

    bool more(QByteArray& out, qsizetype want) override
    {
        const qsizetype start = out.size();
        while (m_next < m_count && out.size() - start < want) {
            out += m_prefix;
            out += dumpRecordLine(int(m_next) + 1, m_records[m_next]);
            out += "\r\n";
            ++m_next;
        }
        if (m_next == m_count && m_prompt) {
            out += '>';
            m_prompt = false;
        }
        return out.size() > start;
    }

private:
    std::vector<Record> m_records;
    size_t m_count;
    size_t m_next = 0;
    QByteArray m_prefix;
    bool m_prompt;
};

}  // namespace

bool Instrument::tagDump(const Words& w, Lines& out, bool& cut,
                         std::shared_ptr<ReplyStream>& records)
{
    if (w.size() < 2 || !w[1].isInt()) return false;
    // A tag that does not exist has nothing to dump: the reply is the prompt alone.
    const Tag* tag = m_tags.find(w[1].toInt());
    if (!tag) return true;
    out = dumpHeader(*tag, m_setup.serial);
    size_t count = tag->records.size();
    if (m_setup.cutDump) {
        // The last record never comes, nor the prompt.
        if (count > 0) --count;
        cut = true;
    }
    const QByteArray prefix =
        m_setup.device ? QByteArray::number(m_setup.device) + ' ' : QByteArray();
    records = std::make_shared<DumpStream>(tag->records, count, prefix, !cut && !m_setup.noPrompt);
    return true;
}

}  // namespace nesmo::sim
