#pragma once

#include <QByteArray>

#include <array>

namespace nesmo::sim {

// The boot loader's side of a firmware upgrade. Each "v 251" command carries
// one Intel HEX record in two quoted halves; the loader checks the record and
// accepts or refuses it. "v 252 1" starts the integrity test of what arrived,
// "v 252" reports it.
class FirmwareLoader {
public:
    // refuseSends > 0 makes the loader refuse each record that many times
    // before it accepts it (to exercise the program's retries).
    explicit FirmwareLoader(int refuseSends = 0) : m_refuseSends(refuseSends) {}

    // A record sent as two halves: true when accepted.
    bool receive(const QByteArray& first, const QByteArray& second);
    // Starts the integrity test; the next record starts a new transfer.
    void startTest();
    // The four numbers of the "V 252" reply: records accepted, sends refused,
    // end record seen (0 or 1), and 99 when the image passed, 1 when not.
    std::array<int, 4> report() const;
    // The firmware version carried by a passed image ("1.30"), empty if none.
    QByteArray passedVersion() const;

    // Checks one Intel HEX record: syntax, length and checksum.
    static bool validRecord(const QByteArray& record);

private:
    int m_refuseSends;
    int m_accepted = 0;
    int m_refused = 0;
    bool m_endSeen = false;
    bool m_lastRefused = false;
    bool m_tested = false;
    QByteArray m_version;
    QByteArray m_lastRecord;
    int m_sameRecordSends = 0;
};

}  // namespace nesmo::sim
