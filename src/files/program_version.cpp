#include "files/program_version.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>

#ifdef _WIN32
#include <windows.h>
#include <QDir>
#else
#include <elf.h>
#endif

namespace nesmo::version {

namespace {

// Copies what fits of the value and returns its whole length.
int copyOut(std::string_view value, char* buffer, int size)
{
    const std::size_t copied = std::min(value.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, value.data(), copied);
    buffer[copied] = '\0';
    return static_cast<int>(value.size());
}

#ifndef _WIN32

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

bool isHex(std::string_view text)
{
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    return true;
}

quint64 readLe(const char* at, std::size_t bytes)
{
    quint64 value = 0;
    for (std::size_t i = bytes; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(at[i]);
    return value;
}

// Reads a record front to back; any read past its end makes it fail for good.
class RecordReader {
public:
    explicit RecordReader(const QByteArray& bytes) : data_(bytes.constData()), end_(bytes.size()) {}
    bool ok() const { return ok_; }
    bool atEnd() const { return ok_ && at_ == end_; }
    // Limits the reader to the first `length` bytes.
    bool limit(quint64 length)
    {
        if (length < quint64(at_) || length > quint64(end_)) return ok_ = false;
        end_ = qsizetype(length);
        return ok_;
    }
    std::string_view bytes(qsizetype count)
    {
        if (!ok_ || count > end_ - at_) {
            ok_ = false;
            return {};
        }
        const std::string_view result(data_ + at_, std::size_t(count));
        at_ += count;
        return result;
    }
    quint64 number(qsizetype size)
    {
        const std::string_view b = bytes(size);
        return ok_ ? readLe(b.data(), b.size()) : 0;
    }
    std::string_view text() { return bytes(qsizetype(number(2))); }

private:
    const char* data_;
    qsizetype end_;
    qsizetype at_ = 0;
    bool ok_ = true;
};

// The value of `name`, or nothing; see versionStringFromRecord.
std::optional<std::string_view> lookUp(const QByteArray& record, std::string_view name)
{
    RecordReader in(record);
    if (in.number(4) != kRecordMagic) return {};
    const quint64 length = in.number(4);
    if (length < kHeaderSize || !in.limit(length) || in.number(2) != kRecordFormat) return {};
    const quint64 translations = in.number(2);
    in.bytes(16);  // the fixed versions
    const quint64 tables = in.number(2);
    char wanted[17] = {};
    for (quint64 i = 0; i < translations && in.ok(); ++i) {
        const unsigned long language = in.number(2);
        const unsigned long codePage = in.number(2);
        if (i == 0) std::snprintf(wanted, sizeof wanted, "%08lx", language << 16 | codePage);
    }
    if (!in.ok() || translations == 0) return {};

    std::optional<std::string_view> found;
    bool blockSeen = false;
    for (quint64 t = 0; t < tables && in.ok(); ++t) {
        const std::string_view block = in.bytes(8);
        if (!isHex(block)) return {};
        const bool searched = !blockSeen && equalsIgnoringCase(block, wanted);
        blockSeen = blockSeen || searched;
        const quint64 entries = in.number(2);
        for (quint64 e = 0; e < entries && in.ok(); ++e) {
            const std::string_view key = in.text();
            const std::string_view value = in.text();
            if (!in.ok()) return {};
            if (key.empty() || key.find('\0') != key.npos || value.find('\0') != value.npos)
                return {};
            if (searched && !found && equalsIgnoringCase(key, name)) found = value;
        }
    }
    if (!in.atEnd()) return {};
    return found;
}

// Reads `length` bytes at `offset`: all of them, or an empty array.
using ReadAt = std::function<QByteArray(quint64 offset, quint64 length)>;

// Caps on what an image may make us read, besides the record itself.
constexpr quint64 kMaxSectionTable = 4 * 1024 * 1024;
constexpr quint64 kMaxSectionNames = 1024 * 1024;

#define NESMO_ELF_FIELD(bytes, at, Type, member) \
    readLe((bytes).constData() + (at) + offsetof(Type, member), sizeof(Type::member))

template <typename Ehdr, typename Shdr>
QByteArray recordSection(quint64 imageSize, const ReadAt& readAt)
{
    const auto read = [&](quint64 offset, quint64 length) -> QByteArray {
        if (offset > imageSize || length > imageSize - offset) return {};
        QByteArray bytes = readAt(offset, length);
        return quint64(bytes.size()) == length ? bytes : QByteArray();
    };
    const QByteArray header = read(0, sizeof(Ehdr));
    if (header.isEmpty()) return {};
    const quint64 tableOffset = NESMO_ELF_FIELD(header, 0, Ehdr, e_shoff);
    const quint64 entrySize = NESMO_ELF_FIELD(header, 0, Ehdr, e_shentsize);
    const quint64 count = NESMO_ELF_FIELD(header, 0, Ehdr, e_shnum);
    const quint64 namesIndex = NESMO_ELF_FIELD(header, 0, Ehdr, e_shstrndx);
    // No extended section numbering: a program has far fewer than 0xff00 sections.
    if (tableOffset == 0 || entrySize < sizeof(Shdr) || namesIndex == SHN_UNDEF ||
        namesIndex >= count || count * entrySize > kMaxSectionTable)
        return {};
    const QByteArray table = read(tableOffset, count * entrySize);
    if (table.isEmpty()) return {};

    // A section's contents, when they lie in the image and are no larger than `cap`.
    const auto contents = [&](quint64 index, quint64 cap) -> QByteArray {
        const quint64 at = index * entrySize;
        const quint64 size = NESMO_ELF_FIELD(table, at, Shdr, sh_size);
        if (size > cap) return {};
        return read(NESMO_ELF_FIELD(table, at, Shdr, sh_offset), size);
    };
    const QByteArray names = contents(namesIndex, kMaxSectionNames);
    const std::string_view wanted(kSectionName, sizeof kSectionName);  // with its zero
    for (quint64 i = 1; i < count; ++i) {
        const quint64 name = NESMO_ELF_FIELD(table, i * entrySize, Shdr, sh_name);
        if (name >= quint64(names.size()) || quint64(names.size()) - name < wanted.size() ||
            std::string_view(names.constData() + name, wanted.size()) != wanted)
            continue;
        if (NESMO_ELF_FIELD(table, i * entrySize, Shdr, sh_type) != SHT_PROGBITS) return {};
        return contents(i, kMaxRecordSize);
    }
    return {};
}

#undef NESMO_ELF_FIELD

QByteArray recordFromElf(quint64 imageSize, const ReadAt& readAt)
{
    if (imageSize < EI_NIDENT) return {};
    const QByteArray ident = readAt(0, EI_NIDENT);
    if (ident.size() != EI_NIDENT || std::memcmp(ident.constData(), ELFMAG, SELFMAG) != 0 ||
        ident[EI_DATA] != ELFDATA2LSB || ident[EI_VERSION] != EV_CURRENT)
        return {};
    switch (ident[EI_CLASS]) {
        case ELFCLASS32: return recordSection<Elf32_Ehdr, Elf32_Shdr>(imageSize, readAt);
        case ELFCLASS64: return recordSection<Elf64_Ehdr, Elf64_Shdr>(imageSize, readAt);
        default: return {};
    }
}

#endif  // !_WIN32

}  // namespace

QByteArray encodeRecord(const RecordContent& content)
{
    QByteArray bytes(qsizetype(recordSize(content)), '\0');
    writeRecord(content, reinterpret_cast<unsigned char*>(bytes.data()));
    return bytes;
}

#ifndef _WIN32

int versionStringFromRecord(const QByteArray& record, const char* name, char* buffer, int size)
{
    if (!buffer || size <= 0) return 0;
    buffer[0] = '\0';
    if (!name) return 0;
    const std::optional<std::string_view> value = lookUp(record, name);
    return value ? copyOut(*value, buffer, size) : 0;
}

QByteArray versionRecordFromImage(const QByteArray& elfImage)
{
    return recordFromElf(quint64(elfImage.size()), [&](quint64 offset, quint64 length) {
        return elfImage.mid(qsizetype(offset), qsizetype(length));
    });
}

QByteArray versionRecordFromFile(const QString& fileName)
{
    if (!QFileInfo(fileName).isFile()) return {};  // no waiting on a pipe, no device
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return recordFromElf(quint64(file.size()), [&](quint64 offset, quint64 length) {
        return file.seek(qint64(offset)) ? file.read(qint64(length)) : QByteArray();
    });
}

int versionStringFromImage(const QByteArray& elfImage, const char* name, char* buffer, int size)
{
    return versionStringFromRecord(versionRecordFromImage(elfImage), name, buffer, size);
}

#endif  // !_WIN32

}  // namespace nesmo::version

namespace nesmo {

using namespace version;

QString trimVersionText(const QString& text)
{
    const auto blank = [](QChar c) { return c.unicode() <= 0x20 || c.unicode() == 0x7F; };
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && blank(text[first]))
        ++first;
    while (last > first && blank(text[last - 1]))
        --last;
    return text.mid(first, last - first);
}

QString ProgramFileVersion()
{
    char buffer[260];
    if (ReadVersionString(QCoreApplication::applicationFilePath(), "FileVersion", buffer,
                          int(sizeof buffer)) <= 0)
        return {};
#ifdef _WIN32
    return trimVersionText(QString::fromLocal8Bit(buffer));
#else
    return trimVersionText(QString::fromUtf8(buffer));
#endif
}

#ifdef _WIN32

int ReadVersionString(const QString& fileName, const char* name, char* buffer, int size)
{
    if (!buffer || size <= 0) return 0;
    buffer[0] = '\0';
    if (!name) return 0;
    const QByteArray path = QDir::toNativeSeparators(fileName).toLocal8Bit();
    DWORD handle = 0;
    const DWORD infoSize = GetFileVersionInfoSizeA(path.constData(), &handle);
    if (infoSize == 0) return 0;
    QByteArray info(qsizetype(infoSize), '\0');
    if (!GetFileVersionInfoA(path.constData(), 0, infoSize, info.data())) return 0;
    void* translation = nullptr;
    UINT translationBytes = 0;
    if (!VerQueryValueA(info.constData(), "\\VarFileInfo\\Translation", &translation,
                        &translationBytes) ||
        !translation || translationBytes < 2 * sizeof(WORD))
        return 0;
    const auto* pair = static_cast<const WORD*>(translation);
    char query[512];
    const int queryLength =
        std::snprintf(query, sizeof query, "\\StringFileInfo\\%08lx\\%s",
                      static_cast<unsigned long>(pair[0]) << 16 | pair[1], name);
    if (queryLength < 0 || queryLength >= int(sizeof query)) return 0;
    void* value = nullptr;
    UINT valueLength = 0;
    if (!VerQueryValueA(info.constData(), query, &value, &valueLength) || !value) return 0;
    const auto* text = static_cast<const char*>(value);
    const std::size_t length = strnlen(text, valueLength);  // the count may hold the zero
    if (length == 0) return 0;
    return copyOut(std::string_view(text, length), buffer, size);
}

#else

int ReadVersionString(const QString& fileName, const char* name, char* buffer, int size)
{
    return versionStringFromRecord(versionRecordFromFile(fileName), name, buffer, size);
}

#endif  // _WIN32

}  // namespace nesmo
