// The program's version information: read back from the built NesmoComm, from copies
// changed by binutils and from damaged copies, and the record parser on made-up bytes.
#include <elf.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "files/program_version.h"
#include "support/test_support.h"

namespace nesmo::version {
namespace {

const QString kProgram = QStringLiteral(NESMO_VERSION_PROGRAM);
const QByteArray kProject = NESMO_VERSION_PROJECT;

struct Read {
    int length = 0;
    QByteArray text;
    bool operator==(const Read&) const = default;
};
void PrintTo(const Read& r, std::ostream* os)
{
    *os << r.length << " \"" << r.text.data() << '"';
}

// Reads into a buffer of `size` bytes that is guarded on both sides.
Read readWith(const std::function<int(char*, int)>& read, int size = 260)
{
    std::vector<char> guarded(std::max(size, 0) + 2, '\x7f');
    guarded.back() = '\0';
    const int length = read(guarded.data(), size);
    EXPECT_EQ(guarded[std::max(size, 0)], '\x7f') << "written past the buffer";
    return {length, QByteArray(guarded.data())};
}
Read fromFile(const QString& file, const char* name, int size = 260)
{
    return readWith([&](char* b, int s) { return ReadVersionString(file, name, b, s); }, size);
}
Read fromRecord(const QByteArray& record, const char* name)
{
    return readWith([&](char* b, int s) { return versionStringFromRecord(record, name, b, s); });
}

void expectProgramValues(const QString& file)
{
    const struct {
        const char* name;
        QByteArray value;
    } rows[] = {{"FileVersion", kProject},
                {"ProductVersion", "1.0.0.0"},
                {"ProductName", "Nesmo-7"},
                {"Comments", "19200, 8, 1, n, n"},
                {"FileDescription", "Serial Interface for the Nesmo-7"},
                {"CompanyName", "Nesmo Port project"}};
    for (const auto& row : rows)
        EXPECT_EQ(fromFile(file, row.name), (Read{int(row.value.size()), row.value})) << row.name;
    const QByteArray record = versionRecordFromFile(file);
    ASSERT_GE(record.size(), 28);
    const auto parts = versionParts(kProject.toStdString());
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(qFromLittleEndian<quint16>(record.constData() + 12 + 2 * i), parts[i]);
        EXPECT_EQ(qFromLittleEndian<quint16>(record.constData() + 20 + 2 * i), parts[i]);
    }
}

TEST(ProgramVersion, BuiltProgramCarriesItsVersion)
{
    expectProgramValues(kProgram);
}

// Copies changed in place by binutils: stripped, turned into an ELF32 file that holds
// only the version section, and with that section renamed.
TEST(ProgramVersion, CopiesMadeByBinaryTools)
{
    const struct {
        const char* tool;
        QStringList arguments;
        bool carriesVersion;
    } rows[] = {{"strip", {"--strip-all"}, true},
                {"objcopy", {"-O", "elf32-little", "--only-section=.nesmo_version"}, true},
                {"objcopy", {"--rename-section", ".nesmo_version=.nesmo_version2"}, false}};
    QTemporaryDir dir;
    for (const auto& row : rows) {
        const QString tool = QStandardPaths::findExecutable(QString::fromLatin1(row.tool));
        if (tool.isEmpty()) GTEST_SKIP() << "no " << row.tool;
        const QString copy = dir.filePath(row.arguments.join(' '));
        ASSERT_TRUE(QFile::copy(kProgram, copy));
        QProcess process;  // keeps the tool's warnings out of the test's output
        process.start(tool, row.arguments + QStringList{copy});
        ASSERT_TRUE(process.waitForFinished(30000) && process.exitCode() == 0) << row.tool;
        if (row.carriesVersion)
            expectProgramValues(copy);
        else
            EXPECT_EQ(fromFile(copy, "FileVersion"), Read{});
    }
}

TEST(ProgramVersion, ForeignDamagedAndMissingFilesGiveNothing)
{
    const QByteArray program = test::readFile(kProgram);
    const QByteArray record = versionRecordFromFile(kProgram);
    const qsizetype recordAt = program.indexOf(record);
    ASSERT_GT(recordAt, 0);
    Elf64_Ehdr header;
    std::memcpy(&header, program.constData(), sizeof header);
    const qsizetype table = qsizetype(header.e_shoff);
    ASSERT_EQ(table + header.e_shnum * header.e_shentsize, program.size());  // table at the end

    QTemporaryDir dir;
    const struct {
        qsizetype length;
        bool found;
    } cuts[] = {{0, false},
                {4, false},
                {63, false},
                {64, false},
                {recordAt + 12, false},
                {recordAt + record.size() - 1, false},
                {table, false},
                {table + 3 * 64 + 5, false},
                {program.size() - 1, false},
                {program.size(), true}};
    for (const auto& cut : cuts) {
        const QString path = dir.filePath(QStringLiteral("cut-%1").arg(cut.length));
        test::writeFile(path, program.left(cut.length));
        EXPECT_EQ(fromFile(path, "FileVersion").length > 0, cut.found) << cut.length;
    }
    test::writeFile(dir.filePath(QStringLiteral("empty")), {});
    for (const QString& path : {QCoreApplication::applicationFilePath(), QStringLiteral("/bin/sh"),
                                dir.filePath(QStringLiteral("empty")),
                                dir.filePath(QStringLiteral("missing")), dir.path(), QString()})
        EXPECT_EQ(fromFile(path, "FileVersion"), Read{}) << path.toStdString();
    EXPECT_EQ(ProgramFileVersion(), QString());  // the tests carry no version record
}

TEST(ProgramVersion, BufferTakesWhatFits)
{
    const int n = int(kProject.size());
    const struct {
        int size;
        Read read;
    } rows[] = {{-1, {0, "\x7f"}},  // untouched
                {0, {0, "\x7f"}},           {1, {n, ""}},
                {4, {n, kProject.left(3)}}, {n, {n, kProject.left(n - 1)}},
                {n + 1, {n, kProject}}};
    for (const auto& row : rows)
        EXPECT_EQ(fromFile(kProgram, "FileVersion", row.size), row.read) << row.size;
    char buffer[8] = "x";
    EXPECT_EQ(ReadVersionString(kProgram, "FileVersion", nullptr, 8), 0);
    EXPECT_EQ(ReadVersionString(kProgram, nullptr, buffer, 8), 0);
    EXPECT_STREQ(buffer, "");
}

// One translation, one table, one entry "A" = "bc", byte by byte.
const QByteArray kSmall = QByteArray::fromHex(
    "4e535652 33000000 0100 0100 0200000003000000 0100000000000000 0100 0904e404"
    "3034303930346534 0100 0100 41 0200 6263");

QByteArray patched(qsizetype at, const QByteArray& bytes, const QByteArray& base = kSmall)
{
    return QByteArray(base).replace(at, bytes.size(), bytes);
}

TEST(VersionRecord, LayoutAndDamage)
{
    const Entry entries[] = {{"A", "bc"}};
    const StringTable tables[] = {{kUsEnglish, entries}};
    EXPECT_EQ(encodeRecord({{2, 0, 3, 0}, {1, 0, 0, 0}, {&kUsEnglish, 1}, tables}), kSmall);

    const Read bc{2, "bc"};
    const struct {
        const char* what;
        QByteArray record;
        const char* name;
        Read read;
    } rows[] = {
        {"whole", kSmall, "A", bc},
        {"name in lower case", kSmall, "a", bc},
        {"no such entry", kSmall, "B", {}},
        {"block name in upper case", patched(34, "040904E4"), "A", bc},
        {"padding after the record", kSmall + '\0', "A", bc},
        {"other magic", patched(0, "NSVS"), "A", {}},
        {"other format", patched(8, "\x02"), "A", {}},
        {"length past the end", patched(4, "\x34"), "A", {}},
        {"length inside the record", patched(4, "\x32"), "A", {}},
        {"length inside the header", patched(4, "\x08"), "A", {}},
        {"trailing byte", patched(4, "\x34", kSmall + '\0'), "A", {}},
        {"zero in the value", patched(50, QByteArray(1, '\0')), "A", {}},
        {"block name not hex", patched(34, "04090g"), "A", {}},
        {"entry runs past the end", patched(47, "\x03"), "A", {}},
        {"more entries than there are", patched(42, "\x02"), "A", {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(fromRecord(row.record, row.name), row.read) << row.what;
    for (qsizetype cut = 0; cut < kSmall.size(); ++cut)
        EXPECT_EQ(fromRecord(kSmall.left(cut), "A"), Read{}) << cut;
}

TEST(VersionRecord, FirstTranslationChoosesTheTable)
{
    constexpr Translation german{0x0407, 0x04E4};
    const Entry germanEntries[] = {{"FileVersion", "de"}, {"OnlyGerman", "x"}};
    const Entry englishEntries[] = {{"FileVersion", "en"}, {"FileVersion", "en2"}, {"Empty", ""}};
    const Entry laterEnglish[] = {{"Later", "x"}};
    const StringTable tables[] = {
        {german, germanEntries}, {kUsEnglish, englishEntries}, {kUsEnglish, laterEnglish}};
    const Translation englishFirst[] = {kUsEnglish, german};
    const Translation french[] = {{0x040C, 0x04E4}, kUsEnglish};
    const QByteArray english = encodeRecord({{}, {}, englishFirst, tables});

    EXPECT_EQ(fromRecord(english, "FileVersion"), (Read{2, "en"}));
    EXPECT_EQ(fromRecord(english, "OnlyGerman"), Read{});
    EXPECT_EQ(fromRecord(english, "Later"), Read{});  // only the block's first table
    EXPECT_EQ(fromRecord(english, "Empty"), Read{});
    EXPECT_EQ(fromRecord(encodeRecord({{}, {}, {&german, 1}, tables}), "FileVersion"),
              (Read{2, "de"}));
    EXPECT_EQ(fromRecord(encodeRecord({{}, {}, french, tables}), "FileVersion"), Read{});
    EXPECT_EQ(fromRecord(encodeRecord({{}, {}, {}, tables}), "FileVersion"), Read{});
    const Entry unnamed[] = {{"FileVersion", "en"}, {"", "x"}};
    const StringTable withUnnamed[] = {{kUsEnglish, unnamed}};
    EXPECT_EQ(fromRecord(encodeRecord({{}, {}, englishFirst, withUnnamed}), "FileVersion"), Read{});
}

TEST(ProgramVersion, TrimsControlCharacters)
{
    const struct {
        QString text, trimmed;
    } rows[] = {{" \t2.0.3.0\r\n", "2.0.3.0"},
                {QString::fromLatin1("\x01\x7f 2.0 3\x7f\x01"), "2.0 3"},
                {QStringLiteral("!2.0\u00a0"), QStringLiteral("!2.0\u00a0")},
                {" \x7f\t", ""},
                {"", ""}};
    for (const auto& row : rows)
        EXPECT_EQ(trimVersionText(row.text), row.trimmed) << row.text.toStdString();
}

}  // namespace
}  // namespace nesmo::version
