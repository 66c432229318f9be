#include "sim/firmware_loader.h"

#include <cctype>

#include "sim/command_text.h"

namespace nesmo::sim {

namespace {

int hexByte(const QByteArray& text, int pos)
{
    bool ok = false;
    const int v = text.mid(pos, 2).toInt(&ok, 16);
    return ok ? v : -1;
}

}  // namespace

bool FirmwareLoader::validRecord(const QByteArray& record)
{
    // ":" count(1) address(2) type(1) data(count) checksum(1), as hex digit pairs.
    if (record.size() < 11 || record[0] != ':' || record.size() % 2 != 1) return false;
    for (int i = 1; i < record.size(); ++i)
        if (!isxdigit(static_cast<unsigned char>(record[i]))) return false;
    const int count = hexByte(record, 1);
    if (record.size() != 11 + 2 * count) return false;
    int sum = 0;
    for (int i = 1; i < record.size(); i += 2)
        sum += hexByte(record, i);
    return (sum & 0xFF) == 0;
}

bool FirmwareLoader::receive(const QByteArray& first, const QByteArray& second)
{
    const QByteArray record = first + second;
    // After a test, or when a cut transfer starts again from its beginning, the
    // records that came before no longer count.
    if (m_tested || (!m_firstRecord.isEmpty() && record == m_firstRecord && m_accepted > 0))
        *this = FirmwareLoader(m_refuseSends, m_integrity);
    m_installed = false;  // a changed image may be installed again
    m_sameRecordSends = record == m_lastRecord ? m_sameRecordSends + 1 : 1;
    m_lastRecord = record;

    if (!validRecord(record) || m_sameRecordSends <= m_refuseSends) {
        ++m_refused;
        m_lastRefused = true;
        return false;
    }
    m_lastRefused = false;
    if (m_accepted++ == 0) m_firstRecord = record;
    const int type = hexByte(record, 7);
    if (type == 0) ++m_data;
    if (type == 1) m_endSeen = true;
    // The version record: 16 data bytes at address 1000, minor then major version.
    if (type == 0 && record.startsWith(":10100000"))
        m_version = formatted("%d.%02d", hexByte(record, 11), hexByte(record, 9));
    return true;
}

void FirmwareLoader::startTest()
{
    m_tested = true;
    m_busyLeft = m_integrity.busyReports;
}

FirmwareLoader::Report FirmwareLoader::report()
{
    Report r;
    if (m_integrity.outcome == IntegrityBehaviour::Never) return r;
    if (m_busyLeft > 0) {
        --m_busyLeft;
        return r;
    }
    const bool passed = m_integrity.outcome == IntegrityBehaviour::Pass && m_data > 0 &&
                        m_endSeen && !m_lastRefused;
    r.finished = true;
    r.numbers = {m_accepted, m_refused, m_endSeen ? 1 : 0, passed ? 99 : 1};
    if (passed && !m_installed) {
        m_installed = true;
        r.installs = true;
        r.version = m_version;
    }
    return r;
}

}  // namespace nesmo::sim
