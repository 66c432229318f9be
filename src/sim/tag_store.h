#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>

#include <array>
#include <vector>

#include "sim/atmosphere.h"

namespace nesmo::sim {

// One logged record in the packed form the instrument keeps and sends: float32
// concentration, int16 temperature in tenths, uint8 humidity, uint8 pressure
// code p (mmHg = (p + 200) * 2) and a spare byte, all little-endian.
struct Record {
    std::array<quint8, 9> data{};

    static Record make(float concentration, int temperatureTenths, int humidity, int pressureCode,
                       quint8 spare = 0);
    static Record fromBytes(const std::array<quint8, 9>& bytes);
    // The record as it stands on a dump line: the marker 0xDF and the 9 data bytes.
    QByteArray wire() const;
    float concentration() const;
};

// A Sample turned into a record in a tag's units.
Record recordFromSample(const Sample& s, int units, char tempUnits);

// A numbered data record of the instrument, with the settings it was logged under.
struct Tag {
    int number = 0;
    QDateTime start;  // the first record is logged one period later
    int periodSeconds = 60;
    double calFactor = 1.0;
    int units = 2;
    char tempUnits = 'C';
    QByteArray alarm = "OFF";
    double alarmLevel = 0.0;
    int errors = 0;
    std::vector<Record> records;
};

// The instrument's data memory: tags 0 to 99, kept in number order.
class TagStore {
public:
    static constexpr int kMaxRecords = 65535;

    const Tag* find(int number) const;
    Tag* find(int number);
    Tag& put(Tag tag);  // adds the tag or replaces the one with its number
    bool remove(int number);
    void clear() { m_tags.clear(); }
    const std::vector<Tag>& tags() const { return m_tags; }

private:
    std::vector<Tag> m_tags;
};

// Tag 9 as it left the factory: six records around midnight of 4 July 2023,
// the third one carrying CR, LF, '>', '"' and 0xDF in its binary bytes.
Tag builtInTag9();
// A tag of count records logged every periodSeconds from a generated atmosphere.
Tag generatedTag(int number, int count, int periodSeconds);
// A tag whose every record holds some of the bytes 0x0D, 0x0A, 0x22, 0x3E and 0xDF.
Tag trickyTag(int number, int count);

// The dump of a tag as the instrument sends it: header lines, the column
// titles and one line per record, each without its line end.
QList<QByteArray> dumpLines(const Tag& tag, const QByteArray& serial);
// Its leading lines, before the first record line.
QList<QByteArray> dumpHeader(const Tag& tag, const QByteArray& serial);
inline constexpr int kDumpHeaderLines = 15;
// The line of the record numbered n (from 1).
QByteArray dumpRecordLine(int n, const Record& record);

// "hh:mm:ss" and "dd-Mon-yyyy" as the dump headers write them.
QByteArray clockText(int seconds);
QByteArray dateText(const QDate& date);

}  // namespace nesmo::sim
