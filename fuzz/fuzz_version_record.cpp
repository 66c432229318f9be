// Any bytes as an executable image and as a bare version record, through the parsers
// behind ReadVersionString.
//
// Invariants: a string that is found comes back whole in a buffer large enough and
// cut to size - 1 bytes plus a terminating zero in smaller ones, with the same
// length returned for every buffer size and nothing written past the buffer; a
// string that is not found leaves the buffer empty; an image's string is the string
// of the record in its section, which is never larger than kMaxRecordSize.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "files/program_version.h"

using namespace nesmo::version;

namespace {

// Large enough for any value (lengths are 16-bit).
char whole[0x10000 + 1];

void checkSizes(const QByteArray& record, const char* name)
{
    const int length = versionStringFromRecord(record, name, whole, int(sizeof whole));
    if (length < 0 || std::strlen(whole) != std::size_t(length)) std::abort();
    for (const int size : {1, 2, 8}) {
        char small[9 + 1];
        std::memset(small, 0x7F, sizeof small);
        if (versionStringFromRecord(record, name, small, size) != length) std::abort();
        if (small[size] != 0x7F) std::abort();  // nothing past the buffer
        const std::size_t kept = std::min<std::size_t>(std::size_t(length), std::size_t(size - 1));
        if (std::strlen(small) != kept || std::memcmp(small, whole, kept) != 0) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QByteArray section = versionRecordFromImage(bytes);
    if (section.size() > qsizetype(kMaxRecordSize)) std::abort();
    for (const char* name : {"FileVersion", "productversion", "A", ""}) {
        checkSizes(bytes, name);
        checkSizes(section, name);
        char fromImage[64];
        char fromSection[64];
        if (versionStringFromImage(bytes, name, fromImage, int(sizeof fromImage)) !=
                versionStringFromRecord(section, name, fromSection, int(sizeof fromSection)) ||
            std::strcmp(fromImage, fromSection) != 0)
            std::abort();
    }
    return 0;
}
