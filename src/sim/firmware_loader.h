#pragma once

#include <QByteArray>

#include <array>

namespace nesmo::sim {

// How the integrity test of a transferred image turns out.
struct IntegrityBehaviour {
    enum Outcome {
        Pass,   // the image decides: it passes when whole and accepted
        Fail,   // the test fails even for a good image
        Never,  // the test never finishes
    };
    Outcome outcome = Pass;
    int busyReports = 0;  // reports after the test starts that say it still runs
};

// The boot loader's side of a firmware upgrade. Each "v 251" command carries
// one Intel HEX record in two quoted halves; the loader checks the record and
// accepts or refuses it. "v 252 1" starts the integrity test of what arrived,
// "v 252" reports it.
class FirmwareLoader {
public:
    // What one "v 252" says.
    struct Report {
        // False while the test still runs: then numbers mean nothing.
        bool finished = false;
        // Records accepted, sends refused, end record seen (0 or 1), and 99
        // when the image passed, 1 when not.
        std::array<int, 4> numbers{};
        // The image passed and this is the first report that says so since
        // its last record arrived: the instrument now runs it. A repeated
        // report, or a repeated test of the same image, installs nothing.
        bool installs = false;
        // The firmware version it carries ("1.30"), empty if none; set only
        // with installs.
        QByteArray version;
    };

    // refuseSends > 0 makes the loader refuse each record that many times
    // before it accepts it (to exercise the program's retries).
    explicit FirmwareLoader(int refuseSends = 0, IntegrityBehaviour integrity = {})
        : m_refuseSends(refuseSends), m_integrity(integrity)
    {
    }

    // A record sent as two halves: true when accepted.
    bool receive(const QByteArray& first, const QByteArray& second);
    // Starts the integrity test; the next record starts a new transfer.
    void startTest();
    // The state of the integrity test, as "v 252" reports it.
    Report report();

    // Records accepted since the transfer began.
    int accepted() const { return m_accepted; }

    // Checks one Intel HEX record: syntax, length and checksum.
    static bool validRecord(const QByteArray& record);

private:
    int m_refuseSends;
    IntegrityBehaviour m_integrity;
    int m_accepted = 0;
    int m_data = 0;  // data records (type 00) among them
    int m_refused = 0;
    bool m_endSeen = false;
    bool m_lastRefused = false;
    bool m_tested = false;
    bool m_installed = false;  // a passed result has been reported for this image
    int m_busyLeft = 0;        // reports still to come that say the test runs
    QByteArray m_version;
    QByteArray m_lastRecord;
    QByteArray m_firstRecord;  // the transfer's first record: sent again, a new transfer begins
    int m_sameRecordSends = 0;
};

}  // namespace nesmo::sim
