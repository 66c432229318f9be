// Any bytes as a firmware file through the check that runs before anything is
// sent, and the record commands and version gates of what it accepts.
//
// Invariants: an accepted file's records are each ':' and hex pairs of the
// announced length, at most 78 characters, at least one of them a data record,
// the last one the end-of-file record at address 0000; a refused file keeps no
// records and says why; every record's command holds the
// record whole, split once.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "files/firmware_file.h"

using namespace nesmo::firmware;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const HexFile file = checkHexText(bytes);
    if (!file.error.isEmpty()) {
        if (!file.records.isEmpty()) std::abort();
        return 0;
    }
    bool hasData = false;
    for (const QByteArray& record : file.records) {
        hasData = hasData || record.mid(7, 2) == "00";
        if (!record.startsWith(':') || record.size() > kMaxRecordLength || record.size() % 2 == 0)
            std::abort();
        const auto [first, second] = recordParts(record);
        if (first + second != record || first.isEmpty()) std::abort();
        const QByteArray command = recordCommand(record);
        if (command != "v 251 \"" + first + "\" \"" + second + "\"\r") std::abort();
    }
    if (!hasData || !file.records.last().startsWith(":00000001")) std::abort();
    for (const int version : {0, 126, 127, 9926})
        (void)versionGate(version, file.records.value(0));
    return 0;
}
