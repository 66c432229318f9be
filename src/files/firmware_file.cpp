#include "files/firmware_file.h"

#include <QFile>

#include "link/command_format.h"
#include "link/commands.h"

namespace nesmo::firmware {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The byte at hex pair i after the colon; -1 when the pair is not hex.
int byteAt(const QByteArray& record, qsizetype i)
{
    const qsizetype at = 1 + 2 * i;
    if (at + 1 >= record.size()) return -1;
    const int high = hexDigit(record[at]);
    const int low = hexDigit(record[at + 1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// Why a record cannot be sent; empty when it can. Sets endOfFile for type 01 and
// data for type 00.
QString recordProblem(const QByteArray& record, bool& endOfFile, bool& data)
{
    if (!record.startsWith(':')) return QStringLiteral("it does not start with ':'");
    if (record.size() > kMaxRecordLength)
        return QStringLiteral("it is %1 characters long, more than %2")
            .arg(record.size())
            .arg(kMaxRecordLength);
    if (record.size() < 11 || record.size() % 2 == 0)
        return QStringLiteral("it is not a whole record (%1 characters)").arg(record.size());
    const qsizetype pairs = (record.size() - 1) / 2;
    int sum = 0;
    for (qsizetype i = 0; i < pairs; ++i) {
        const int b = byteAt(record, i);
        if (b < 0) return QStringLiteral("it holds characters that are not hex digits");
        sum += b;
    }
    const int count = byteAt(record, 0);
    if (pairs != count + 5)
        return QStringLiteral("its byte count announces %1 data bytes, but it holds %2")
            .arg(count)
            .arg(pairs - 5);
    const int type = byteAt(record, 3);
    if (type > 5)
        return QStringLiteral("its record type %1 is unknown").arg(type, 2, 16, QLatin1Char('0'));
    // Each type but data carries a fixed number of bytes: none for the end of
    // the file, a segment or upper address of two, a start address of four.
    static constexpr int kTypeBytes[] = {-1, 0, 2, 4, 2, 4};
    if (kTypeBytes[type] >= 0 && count != kTypeBytes[type])
        return QStringLiteral("its record type %1 takes %2 data bytes, but it announces %3")
            .arg(type, 2, 10, QLatin1Char('0'))
            .arg(kTypeBytes[type])
            .arg(count);
    if (type == 1 && (byteAt(record, 1) != 0 || byteAt(record, 2) != 0))
        return QStringLiteral("its end-of-file record has an address other than 0000");
    if ((sum & 0xFF) != 0) return QStringLiteral("its checksum is wrong");
    endOfFile = type == 1;
    data = type == 0;
    return {};
}

}  // namespace

HexFile checkHexText(const QByteArray& bytes)
{
    HexFile file;
    QByteArray text = bytes;
    if (text.startsWith("\xEF\xBB\xBF")) text.remove(0, 3);
    // Old DOS tools end a text file with a Ctrl-Z byte after its last line.
    qsizetype end = text.size();
    while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n'))
        --end;
    if (end > 0 && text[end - 1] == '\x1A') text.truncate(end - 1);
    int lineNumber = 0;
    bool ended = false;
    bool anyData = false;
    qsizetype start = 0;
    const auto take = [&](qsizetype end) -> bool {
        ++lineNumber;
        const QByteArray line = text.mid(start, end - start);
        if (line.trimmed().isEmpty()) return true;
        const auto refuse = [&](const QString& why) {
            file.records.clear();
            file.error = QStringLiteral("Line %1 of the firmware file cannot be sent: %2.")
                             .arg(lineNumber)
                             .arg(why);
            return false;
        };
        if (ended) return refuse(QStringLiteral("it comes after the end-of-file record"));
        bool endOfFile = false;
        bool data = false;
        if (const QString problem = recordProblem(line, endOfFile, data); !problem.isEmpty())
            return refuse(problem);
        ended = endOfFile;
        anyData = anyData || data;
        file.records << line;
        return true;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        if (!take(i)) return file;
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size() && !take(text.size())) return file;
    if (!anyData) {
        // Nothing to load: an instrument would erase its program for nothing.
        file.records.clear();
        file.error = QStringLiteral("The firmware file holds no firmware: it has no data record.");
    } else if (!ended) {
        file.records.clear();
        file.error = QStringLiteral(
            "The firmware file ends without its end-of-file record: it is not whole.");
    }
    return file;
}

HexFile readHexFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        HexFile file;
        file.error =
            QStringLiteral("The file %1 could not be opened:\n%2").arg(path, f.errorString());
        return file;
    }
    const QByteArray bytes = f.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes) {
        HexFile file;
        file.error = QStringLiteral("The file %1 is larger than %2 MB: it is no firmware file.")
                         .arg(path)
                         .arg(kMaxFileBytes / (1024 * 1024));
        return file;
    }
    return checkHexText(bytes);
}

std::pair<QByteArray, QByteArray> recordParts(const QByteArray& record)
{
    const qsizetype length = record.size();
    qsizetype h = length / 2;
    if (h % 2 == 0) ++h;
    if (h > length) return {};
    return {record.left(h), record.mid(h)};
}

QByteArray recordCommand(const QByteArray& record)
{
    const auto [first, second] = recordParts(record);
    return formatCommand(cmd::kFirmwareTransferFmt, first.constData(), second.constData());
}

std::optional<int> versionOf(const QByteArray& firstRecord)
{
    if (firstRecord.size() < 13 || !firstRecord.startsWith(":10100000")) return std::nullopt;
    const int minor = byteAt(firstRecord, 4);
    const int major = byteAt(firstRecord, 5);
    if (minor < 0 || major < 0) return std::nullopt;
    return major * 100 + minor;
}

Gate versionGate(int instrumentVersion, const QByteArray& firstRecord)
{
    const std::optional<int> file = versionOf(firstRecord);
    if (!file) return Gate::Pass;
    if (instrumentVersion <= 126 && *file != kBridgeVersion) return Gate::NeedsVersion9926;
    if (instrumentVersion == kBridgeVersion && *file <= 129) return Gate::NeedsVersion130;
    return Gate::Pass;
}

int barPosition(qint64 acceptedRecords)
{
    return int((acceptedRecords % ((kBarMaximum + 1) / 10)) * 10);
}

bool advanceBlink(int& counter)
{
    ++counter;
    const bool shown = counter < 10;
    if (counter > 12) counter = 0;
    return shown;
}

bool backupSupported(int instrumentVersion)
{
    return instrumentVersion >= 130;
}

bool restoreSupported(int instrumentVersion)
{
    return instrumentVersion >= 130 && instrumentVersion != kBridgeVersion;
}

}  // namespace nesmo::firmware
