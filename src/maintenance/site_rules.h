#pragma once

#include <QByteArray>
#include <QList>

namespace nesmo::sites {

// The instrument keeps 50 sites; a set sends at most this many bytes of a line.
inline constexpr int kSiteCount = 50;
inline constexpr int kMaxSentBytes = 31;

// What a set sends of one line of the site list: control bytes dropped (a CR would
// end the command early and start another), the first 31 bytes, commas as full
// stops (the instrument reads numbers with a full stop). The line is Latin-1 bytes.
QByteArray sentText(const QByteArray& line);

// The command that defines one site from a line: "site  <sentText>\r".
QByteArray siteDefinitionCommand(const QByteArray& line);

// The 50 lines a set sends: the first 50 of the list, empty ones for lines it lacks.
QList<QByteArray> linesToSend(const QList<QByteArray>& listLines);

// The site numbers (1 to 50) whose line is longer than what a set sends: their end
// (often the calibration factor) would be lost.
QList<int> sitesThatLoseCharacters(const QList<QByteArray>& listLines);

// Whether a line reads as a site: its number (1 to 50), its name in double
// quotes and, optionally, its calibration factor (a full stop or a comma before
// the decimals), separated by blanks. An empty line is no site but fits.
bool isSiteLine(const QByteArray& line);

// The line numbers (from 1) among those a set sends whose text is neither empty
// nor a site.
QList<int> linesThatAreNoSites(const QList<QByteArray>& listLines);

// The site number a line starts with, or 0.
int siteNumberOf(const QByteArray& line);

// A site list file's lines: CR LF, CR or LF end a line; a last line without an
// end is a line too, a final line end adds none.
QList<QByteArray> fileLines(const QByteArray& bytes);

// A site list file's bytes: every line ended by CR LF.
QByteArray fileBytes(const QList<QByteArray>& lines);

}  // namespace nesmo::sites
