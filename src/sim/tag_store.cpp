#include "sim/tag_store.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "sim/command_text.h"

namespace nesmo::sim {

namespace {

const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Generated tags start on consecutive mornings, so that they read the same in every run.
QDateTime generatedStart(int number)
{
    return QDateTime(QDate(2024, 5, 1), QTime(7, 30), Qt::UTC).addDays(number - 1);
}

QByteArray fixed3(double v)
{
    return QByteArray::number(v, 'f', 3);
}

}  // namespace

Record Record::make(float concentration, int temperatureTenths, int humidity, int pressureCode,
                    quint8 spare)
{
    Record r;
    quint32 bits = 0;
    std::memcpy(&bits, &concentration, 4);
    for (int i = 0; i < 4; ++i)
        r.data[i] = quint8(bits >> (8 * i));
    const auto t = quint16(qint16(std::clamp(temperatureTenths, -32768, 32767)));
    r.data[4] = quint8(t & 0xFF);
    r.data[5] = quint8(t >> 8);
    r.data[6] = quint8(std::clamp(humidity, 0, 255));
    r.data[7] = quint8(std::clamp(pressureCode, 0, 255));
    r.data[8] = spare;
    return r;
}

Record Record::fromBytes(const std::array<quint8, 9>& bytes)
{
    Record r;
    r.data = bytes;
    return r;
}

QByteArray Record::wire() const
{
    QByteArray out(1, char(0xDF));
    out.append(reinterpret_cast<const char*>(data.data()), int(data.size()));
    return out;
}

float Record::concentration() const
{
    quint32 bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= quint32(data[i]) << (8 * i);
    float v = 0;
    std::memcpy(&v, &bits, 4);
    return v;
}

Record recordFromSample(const Sample& s, int units, char tempUnits)
{
    const double temperature = tempUnits == 'F' ? s.celsius * 1.8 + 32.0 : s.celsius;
    const int pressureCode = int(std::lround(s.pressure / 2.0)) - 200;
    return Record::make(float(dustInUnits(s.dust, units)), int(std::lround(temperature * 10.0)),
                        int(std::lround(s.humidity)), pressureCode);
}

const Tag* TagStore::find(int number) const
{
    for (const Tag& t : m_tags)
        if (t.number == number) return &t;
    return nullptr;
}

Tag* TagStore::find(int number)
{
    for (Tag& t : m_tags)
        if (t.number == number) return &t;
    return nullptr;
}

Tag& TagStore::put(Tag tag)
{
    if (tag.records.size() > size_t(kMaxRecords)) tag.records.resize(kMaxRecords);
    auto it = std::lower_bound(m_tags.begin(), m_tags.end(), tag.number,
                               [](const Tag& t, int n) { return t.number < n; });
    if (it != m_tags.end() && it->number == tag.number) {
        *it = std::move(tag);
        return *it;
    }
    return *m_tags.insert(it, std::move(tag));
}

bool TagStore::remove(int number)
{
    auto it = std::find_if(m_tags.begin(), m_tags.end(),
                           [number](const Tag& t) { return t.number == number; });
    if (it == m_tags.end()) return false;
    m_tags.erase(it);
    return true;
}

Tag builtInTag9()
{
    Tag t;
    t.number = 9;
    t.start = QDateTime(QDate(2023, 7, 4), QTime(23, 58, 30), Qt::UTC);
    t.periodSeconds = 30;
    t.units = 2;
    t.records = {
        Record::fromBytes({0x0A, 0xD7, 0xA3, 0x3D, 0xD4, 0x00, 0x26, 0xB1, 0x00}),
        Record::fromBytes({0xAE, 0x47, 0xE1, 0x3D, 0xD6, 0x00, 0x27, 0xB1, 0x00}),
        Record::fromBytes({0x0D, 0x0A, 0x3E, 0x3F, 0x22, 0x00, 0x0D, 0xDF, 0x3E}),
        Record::fromBytes({0x0A, 0xD7, 0xA3, 0xBC, 0xF1, 0xFF, 0x29, 0xB0, 0x00}),
        Record::fromBytes({0x00, 0x00, 0x48, 0x41, 0x2D, 0x01, 0x64, 0xFF, 0x00}),
        Record::fromBytes({0xEC, 0x51, 0xB8, 0x3D, 0xD8, 0x00, 0x28, 0xB2, 0x00}),
    };
    return t;
}

Tag generatedTag(int number, int count, int periodSeconds)
{
    Tag t;
    t.number = number;
    t.start = generatedStart(number);
    t.periodSeconds = periodSeconds;
    count = std::clamp(count, 0, TagStore::kMaxRecords);
    t.records.reserve(size_t(count));
    Atmosphere air(0x4E45534D4F000000ull + quint64(number));
    for (int i = 1; i <= count; ++i) {
        const Sample s = air.sample(t.start.addSecs(qint64(i) * periodSeconds), periodSeconds);
        t.records.push_back(recordFromSample(s, t.units, t.tempUnits));
    }
    return t;
}

Tag trickyTag(int number, int count)
{
    // Each pattern is a sensible record whose bytes a careless reader would
    // take for a line end, a quote, a prompt or a record marker.
    static const std::array<quint8, 9> kPatterns[] = {
        {0x0D, 0x0A, 0x3E, 0x3F, 0x22, 0x00, 0x0D, 0xDF, 0x3E},  // 0.742, 3.4, 13, 846
        {0xDF, 0x0D, 0x0A, 0x3E, 0xDF, 0x00, 0x22, 0xB0, 0x3E},  // 0.135, 22.3, 34, 752
        {0x3E, 0x22, 0x0D, 0x3F, 0x0A, 0x01, 0x3E, 0x0D, 0x0A},  // 0.551, 26.6, 62, 426
        {0x22, 0xDF, 0x3E, 0x40, 0x0D, 0x01, 0x0A, 0xB1, 0xDF},  // 2.982, 26.9, 10, 754
        {0x0A, 0x0D, 0x22, 0x3E, 0x3E, 0x00, 0x3E, 0xDF, 0x22},  // 0.158, 6.2, 62, 846
    };
    Tag t;
    t.number = number;
    t.start = generatedStart(number);
    t.periodSeconds = 60;
    count = std::clamp(count, 0, TagStore::kMaxRecords);
    for (int i = 0; i < count; ++i)
        t.records.push_back(Record::fromBytes(kPatterns[i % 5]));
    return t;
}

QByteArray clockText(int seconds)
{
    seconds = ((seconds % 86400) + 86400) % 86400;
    return formatted("%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

QByteArray dateText(const QDate& date)
{
    return formatted("%02d-%s-%04d", date.day(), kMonths[(date.month() + 11) % 12], date.year());
}

QList<QByteArray> dumpHeader(const Tag& tag, const QByteArray& serial)
{
    QList<QByteArray> lines;
    lines << "\"Model Number\", \"Nesmo-7   \""
          << "\"Serial no.\", \"" + serial + "\""
          << "\"Tag Number  \", " + QByteArray::number(tag.number)
          << "\"Number      \", " + QByteArray::number(qulonglong(tag.records.size()))
          << "\"Log Period  \", " + clockText(tag.periodSeconds)
          << "\"Start Time  \", " + clockText(tag.start.time().msecsSinceStartOfDay() / 1000)
          << "\"Start Date  \", " + dateText(tag.start.date())
          << "\"CalFactor\", " + fixed3(tag.calFactor)
          << "\"Unit    \", " + QByteArray::number(tag.units)
          << "\"Unit Name\", \"" + QByteArray(unitName(tag.units)) + "\""
          << "\"TEMPUNITS\", " + QByteArray(1, tag.tempUnits)
          << "\"ALARM  \", \"" + tag.alarm + "\""
          << "\"ALARM_LEVEL\", " + fixed3(tag.alarmLevel)
          << "\"Errors\", " + QByteArray::number(tag.errors)
          << "record, concentration, temperature, RH, pressure";
    return lines;
}

QByteArray dumpRecordLine(int n, const Record& record)
{
    // A record line always begins with a blank, also from record 10000 on.
    return formatted(" %4d", n) + record.wire();
}

QList<QByteArray> dumpLines(const Tag& tag, const QByteArray& serial)
{
    QList<QByteArray> lines = dumpHeader(tag, serial);
    int n = 0;
    for (const Record& r : tag.records)
        lines << dumpRecordLine(++n, r);
    return lines;
}

}  // namespace nesmo::sim
