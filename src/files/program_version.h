#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>

// The program's own version information, written into its executable by the build
// and read back at run time.
//
// On Windows it is the executable's VERSIONINFO resource (auxiliary/version_info.rc.in),
// read through the version API. Elsewhere the build puts a version record (below) into
// the section ".nesmo_version" of the executable (auxiliary/version_record.cpp.in). The
// section is loaded with the program, so strip keeps it, and it is marked retained, so
// the linker's --gc-sections keeps it although nothing refers to it. Only the program
// itself carries it, not the libraries, the tests or the simulator.
//
// The version record mirrors the resource: fixed file and product versions, a
// translation table of (language, code page) pairs and string tables keyed by the
// block name of a pair. Every number is little-endian; nothing is aligned.
//
//   offset  size  field
//   0       4     magic             kRecordMagic, the bytes "NSVR"
//   4       4     length            bytes of the whole record, this header included
//   8       2     format            kRecordFormat
//   10      2     translations      number T of (language, code page) pairs
//   12      8     file version      four u16, most significant first (2.0.3.0: 2, 0, 3, 0)
//   20      8     product version   four u16
//   28      2     tables            number S of string tables
//   30      4*T   translations      T x (u16 language, u16 code page), the preferred first
//   then S string tables, each:
//           8     block name        8 hex digits of language << 16 | code page ("040904e4")
//           2     entries           number E of entries
//           then E entries, each:   u16 name length, name, u16 value length, value
//
// Names are ASCII, values UTF-8, neither holds a zero byte, and a name is never
// empty. The section may be longer than the record (alignment, padding); what
// follows the record's length is not part of it.
namespace nesmo::version {

inline constexpr std::uint32_t kRecordMagic = 0x5256534E;  // "NSVR" in file order
inline constexpr std::uint16_t kRecordFormat = 1;
inline constexpr std::size_t kHeaderSize = 30;
inline constexpr std::size_t kMaxRecordSize = 64 * 1024;
// The section's name; version_record.cpp.in spells it once more, in its attribute.
inline constexpr char kSectionName[] = ".nesmo_version";

struct Translation {
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
};
// U.S. English, Windows Latin-1: block "040904e4".
inline constexpr Translation kUsEnglish{0x0409, 0x04E4};

struct Entry {
    std::string_view name;
    std::string_view value;
};

struct StringTable {
    Translation block;  // written as its block name
    std::span<const Entry> entries;
};

struct RecordContent {
    std::array<std::uint16_t, 4> fileVersion{};
    std::array<std::uint16_t, 4> productVersion{};
    std::span<const Translation> translations;
    std::span<const StringTable> tables;
};

// "2.0.3.0" as {2, 0, 3, 0}; missing parts are 0. Anything but up to four
// dot-separated numbers of at most 65535 is refused (at compile time: no constant).
constexpr std::array<std::uint16_t, 4> versionParts(std::string_view text)
{
    std::array<std::uint16_t, 4> parts{};
    std::size_t part = 0;
    std::uint32_t number = 0;
    bool digits = false;
    for (const char c : text) {
        if (c == '.' && digits && part < 3) {
            parts[part++] = static_cast<std::uint16_t>(number);
            number = 0;
            digits = false;
        } else if (c >= '0' && c <= '9' && number * 10 + (c - '0') <= 0xFFFF) {
            number = number * 10 + static_cast<std::uint32_t>(c - '0');
            digits = true;
        } else {
            throw std::invalid_argument("not a version number");
        }
    }
    if (!digits) throw std::invalid_argument("not a version number");
    parts[part] = static_cast<std::uint16_t>(number);
    return parts;
}

// Writes the record (out null: only counts) and returns its length in bytes.
constexpr std::size_t writeRecord(const RecordContent& content, unsigned char* out)
{
    std::size_t at = 0;
    const auto put = [&](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i, ++at)
            if (out) out[at] = static_cast<unsigned char>(value >> (8 * i));
    };
    const auto put16 = [&](std::size_t value) {
        if (value > 0xFFFF) throw std::length_error("too long for a version record");
        put(static_cast<std::uint32_t>(value), 2);
    };
    const auto putText = [&](std::string_view text) {
        put16(text.size());
        for (const char c : text)
            put(static_cast<unsigned char>(c), 1);
    };
    const std::size_t length = out ? writeRecord(content, nullptr) : 0;
    if (length > kMaxRecordSize) throw std::length_error("too long for a version record");
    put(kRecordMagic, 4);
    put(static_cast<std::uint32_t>(length), 4);
    put16(kRecordFormat);
    put16(content.translations.size());
    for (const std::uint16_t part : content.fileVersion)
        put16(part);
    for (const std::uint16_t part : content.productVersion)
        put16(part);
    put16(content.tables.size());
    for (const Translation& t : content.translations) {
        put16(t.language);
        put16(t.codePage);
    }
    for (const StringTable& table : content.tables) {
        const std::uint32_t key = std::uint32_t{table.block.language} << 16 | table.block.codePage;
        for (int shift = 28; shift >= 0; shift -= 4)
            put(static_cast<unsigned char>("0123456789abcdef"[(key >> shift) & 0xF]), 1);
        put16(table.entries.size());
        for (const Entry& entry : table.entries) {
            putText(entry.name);
            putText(entry.value);
        }
    }
    return at;
}

constexpr std::size_t recordSize(const RecordContent& content)
{
    return writeRecord(content, nullptr);
}

// The record as a constant, for the executable's section.
template <std::size_t N>
constexpr std::array<unsigned char, N> encodeRecord(const RecordContent& content)
{
    std::array<unsigned char, N> bytes{};
    if (writeRecord(content, bytes.data()) != N) throw std::length_error("wrong record size");
    return bytes;
}

QByteArray encodeRecord(const RecordContent& content);

#ifndef _WIN32  // Windows reads its resource through the version API instead

// The string `name` of the record's first translation, in the string table whose
// block name is that pair as "%08lx" of language << 16 | code page. Block and entry
// names compare without regard to ASCII case; the first table of a block and the
// first entry of a name count. On success, copies at most size - 1 bytes of the
// value and a terminating zero into buffer and returns the value's whole length.
// Returns 0 (and leaves buffer empty when size > 0) for a record that is not whole
// and well-formed, without translations, without that block or entry, for an empty
// value, for a null name or buffer and for size <= 0.
int versionStringFromRecord(const QByteArray& record, const char* name, char* buffer, int size);

// The contents of the section ".nesmo_version" of a little-endian ELF32 or ELF64
// image (the first one of that name, PROGBITS, at most kMaxRecordSize bytes); empty
// when there is none or when any offset or size in the image points past its end.
QByteArray versionRecordFromImage(const QByteArray& elfImage);
// The same, reading only the parts of the file that it needs.
QByteArray versionRecordFromFile(const QString& fileName);

int versionStringFromImage(const QByteArray& elfImage, const char* name, char* buffer, int size);
#endif  // !_WIN32

}  // namespace nesmo::version

namespace nesmo {

// The string `name` of a file's version information, with the rules of
// versionStringFromRecord (Windows: the file's VERSIONINFO resource, first
// translation, "\StringFileInfo\<block>\<name>").
int ReadVersionString(const QString& fileName, const char* name, char* buffer, int size);

// The text without the characters up to 0x20 and 0x7F at either end.
QString trimVersionText(const QString& text);

// The running program's "FileVersion" (at most 259 bytes), trimmed; empty when the
// program carries none.
QString ProgramFileVersion();

}  // namespace nesmo
