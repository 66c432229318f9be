#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <utility>

namespace nesmo::firmware {

// A firmware file is Intel HEX text. It is read once, whole, and checked before
// anything is sent: the instrument erases its program when a transfer starts, so
// a damaged file must be found here and not record by record on the instrument.
struct HexFile {
    QList<QByteArray> records;  // each line without its line end, in order
    QString error;              // empty when the file may be sent
};

inline constexpr qsizetype kMaxFileBytes = 4 * 1024 * 1024;
inline constexpr int kMaxRecordLength = 78;

// Checks the text of a firmware file. Line ends CR LF, LF or CR end a record; a
// UTF-8 byte-order mark, blank lines and a DOS end-of-file byte (0x1A) at the
// end are skipped. Refused, with the line's number and the reason: a line that
// is not ':' followed by pairs of hex digits, longer than 78 characters, whose
// length is not the one its byte count announces, whose checksum does not make
// its bytes sum to zero, of an unknown record type (00 to 05), with a byte count
// its type does not allow (01 none, 02 and 04 two, 03 and 05 four), an
// end-of-file record at an address other than 0000, a record after the
// end-of-file record; and a file without a data record, or whose records end
// without the end-of-file record. A file that passes holds at least one record.
HexFile checkHexText(const QByteArray& bytes);

// Reads and checks a firmware file of at most kMaxFileBytes.
HexFile readHexFile(const QString& path);

// A record split into the two parts of its command: h = floor(L/2), plus one when
// that is even; the first h characters, then the rest (both empty when h > L).
std::pair<QByteArray, QByteArray> recordParts(const QByteArray& record);
// "v 251 \"<first>\" \"<second>\"\r"
QByteArray recordCommand(const QByteArray& record);

// The version a version record carries (":10100000", minor byte, major byte;
// major x 100 + minor), or nothing when the line is no version record.
std::optional<int> versionOf(const QByteArray& firstRecord);

// 99.26: the firmware an old instrument (1.26 or before) must run before it can
// take the new firmware (1.30 and after).
inline constexpr int kBridgeVersion = 9926;

// The version gates before a transfer, for the instrument's version (x 100, 0
// when not reported) and the file's first record.
enum class Gate { Pass, NeedsVersion9926, NeedsVersion130 };
Gate versionGate(int instrumentVersion, const QByteArray& firstRecord);

// The progress bar over 0 to 58879 after n accepted records, 10 a record,
// starting again from its beginning past its end.
inline constexpr int kBarMaximum = 58879;
int barPosition(qint64 acceptedRecords);

// What the instrument's firmware (version x 100, 0 when not reported) can do
// with its settings: firmware before 1.30 keeps no backup, and 99.26 (the step
// between the old and the new firmware) can back up but not restore.
bool backupSupported(int instrumentVersion);
bool restoreSupported(int instrumentVersion);

// One step of the transfer label's blink: advances the counter and tells whether
// the label shows (below 10); past 12 the counter starts again from 0.
bool advanceBlink(int& counter);

}  // namespace nesmo::firmware
