#include "reply/reply_parser.h"

#include "core/number_pattern.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <limits>

#include "reply/reply_values.h"

namespace nesmo {

namespace {

// Firmware versions (x 100) that change the replies.
constexpr int kSerialPrefixBefore = 67;  // older firmware sends a token before SERIALNUMBER
constexpr int kAlarmsFrom = 128;         // firmware 1.28 and newer

// Progress bar steps of a download beyond its records (the header lines).
constexpr int kHeaderSteps = 17;

}  // namespace

ReplyParser::ReplyParser(AppState& state, ReplyQueue& queue, InstrumentView& view,
                         DownloadControl& download)
    : state_(state),
      queue_(queue),
      view_(view),
      download_(download),
      lexer_(queue),
      diagnostics_(&std::cout)
{
}

void ReplyParser::setKeywordHandler(int code, KeywordHandler h)
{
    if (code == kw::V) return;
    if (h)
        handlers_[code] = std::move(h);
    else
        handlers_.erase(code);
}

void ReplyParser::setDiagnosticStream(std::ostream* out)
{
    diagnostics_ = out ? out : &std::cout;
}

quint8 ReplyParser::advanceInLine()
{
    if (lexer_.TokenKind == TokEnd) return TokEnd;
    return lexer_.Advance();
}

void ReplyParser::ParseReplies()
{
    while (queue_.LineCount() > 0) {
        lexer_.Advance();

        // Device number. The line that starts a download decides whether its lines
        // carry the number; it stays so while the download runs.
        if (lexer_.TokenKind == TokInteger) {
            if (!state_.Downloading) state_.KeepLinePrefix = false;
            const qint32 device = lexer_.TokenValue;
            if (device != 0 && device != state_.DeviceFilterNumber) {
                lexer_.SkipLine();
                return;  // another instrument on the bus; later lines wait
            }
            lexer_.Advance();
        } else {
            state_.KeepLinePrefix = true;
        }

        if (lexer_.TokenKind == TokKeyword) {
            if (state_.Downloading) download_.EndDownload();
            const int code = lexer_.TokenValue;
            if (code == kw::V) {
                variableReply();
            } else if (auto it = handlers_.find(code); it != handlers_.end()) {
                // Copied: a handler may replace itself.
                const KeywordHandler handler = it->second;
                handler(lexer_);
            }
        } else if (lexer_.TokenKind == TokString) {
            headerLine();
        }
        lexer_.SkipLine();
    }
}

// ---------------------------------------------------------------------------
// "V", the variable number, then its values.

void ReplyParser::variableReply()
{
    const quint8 kind = advanceInLine();
    if (kind != TokKeyword && kind != TokInteger) return;
    const int variable = lexer_.TokenValue;

    switch (variable) {
        case 5: displayLines(); break;
        case 141: serialNumber(); break;
        case 144: firmwareVersion(); break;
        case 157:
            advanceInLine();
            state_.InstrumentRunning =
                lexer_.TokenKind == TokKeyword && lexer_.TokenValue == kw::On;
            break;
        case 160:
            // The instrument has finished re-formatting its data memory.
            if (advanceInLine() == TokKeyword && lexer_.TokenValue == kw::On) {
                view_.endReformatAnimation();
                view_.postMessage(QString::fromLatin1(kMemoryReset));
            } else if (lexer_.TokenKind == TokKeyword && lexer_.TokenValue == kw::Off) {
                view_.reformatRefused();
            }
            break;
        case 235:
        case 236: break;  // the instrument's clock and counters; not used
        case 245: state_.SettingsBackedUp = true; break;
        case 246:
            advanceInLine();
            state_.SettingsRestored = lexer_.TokenKind == TokKeyword && lexer_.TokenValue == kw::On;
            break;
        case 251:
            advanceInLine();
            state_.TransferStatus =
                (lexer_.TokenKind == TokKeyword && lexer_.TokenValue == kw::Off) ? 1 : 0;
            break;
        case 252: transferResult(); break;
        default: {
            char line[32];
            std::snprintf(line, sizeof line, "V %d ?\n", variable);
            *diagnostics_ << line << std::flush;
            break;
        }
    }
    advanceInLine();
}

// V 5 "line 1" "line 2" n: the panel window's two-line display.
void ReplyParser::displayLines()
{
    if (advanceInLine() != TokString) return;
    view_.setText(Control::PanelDisplayLine1, lexer_.text());
    advanceInLine();
    view_.setText(Control::PanelDisplayLine2, lexer_.text());
    advanceInLine();  // a number, not used
}

// V 141 [token] SERIALNUMBER "s"
void ReplyParser::serialNumber()
{
    if (state_.FirmwareVersion < kSerialPrefixBefore) advanceInLine();
    if (advanceInLine() != TokKeyword || lexer_.TokenValue != kw::SerialNumber) return;
    if (advanceInLine() != TokString) return;

    state_.SerialNumber = lexer_.text();
    const QString label = QStringLiteral("Serial No. ") + lexer_.text() + u' ';
    view_.setText(Control::PanelSerialLabel, label);
    view_.setVisible(Control::PanelSerialLabel, true);
    view_.setText(Control::LabelSN, label);
    view_.setText(Control::StatusBarMain,
                  view_.text(Control::PanelSerialLabel) + view_.text(Control::PanelVersionLabel));
}

// V 144 "v": the firmware version and what depends on it.
void ReplyParser::firmwareVersion()
{
    if (advanceInLine() != TokString) return;
    const auto version = reply::firmwareVersionFromText(lexer_.TokenText);
    if (!version) return;  // not a number: keep what we know

    state_.FirmwareVersion = *version;
    const bool old = *version < kAlarmsFrom;
    if (old && !state_.Alarm128Visible) view_.postMessage(QString::fromLatin1(kUpgradeNotice));
    view_.setVisible(Control::Alarm128, old);
    state_.Alarm128Visible = old;
    view_.setEnabled(Control::StelAlarmLevelEdit, !old);
    // Written with the user's decimal separator, like every number in a field.
    if (old)
        view_.setText(Control::StelAlarmLevelEdit,
                      pattern::formatNumber(QStringLiteral("0.00"), 0.0));
    view_.setVisible(Control::AutoStartYear, !old);

    const QString label = QStringLiteral("Version %1").arg(lexer_.text());
    view_.setText(Control::PanelVersionLabel, label);
    view_.setText(Control::LabelVer, label);
}

// V 252 a b c d: the result of a firmware transfer, d = 99 on success.
void ReplyParser::transferResult()
{
    qint32 last = 0;
    for (int i = 0; i < 4; ++i) {
        if (advanceInLine() != TokInteger) return;
        last = lexer_.TokenValue;
    }
    state_.TransferStatus = last == 99 ? 2 : 3;
}

// ---------------------------------------------------------------------------
// Header lines of a logged-data dump: a quoted label (compared exactly, trailing
// blanks included) and its value.

void ReplyParser::headerLine()
{
    const char* label = lexer_.TokenText;

    if (std::strcmp(label, "Model Number") == 0) {
        view_.clearDataText();
        view_.showDataTextPage();
        download_.startCapture();  // sets Downloading
    } else if (std::strcmp(label, "Tag Number  ") == 0) {
        if (advanceInLine() != TokInteger) return;
        state_.CurrentFileName =
            QString::asprintf("UNT%03i%02i.txt", state_.DeviceFilterNumber, lexer_.TokenValue);
        view_.setDataStatus(0, state_.CurrentFileName);
    } else if (std::strcmp(label, "Number      ") == 0) {
        if (advanceInLine() != TokInteger) return;
        const qint32 n = lexer_.TokenValue;
        state_.RecordCount = state_.RecordsLeft = n;
        view_.setDataStatus(1, QString::number(n));
        const qint64 maximum = qint64(n) + kHeaderSteps;
        view_.startDownloadProgress(
            static_cast<int>(std::min<qint64>(maximum, std::numeric_limits<int>::max())));
    } else if (std::strcmp(label, "Log Period  ") == 0) {
        lexer_.ReadBareWord();
        // A period that is no hh:mm:ss keeps the previous one.
        if (const auto period = reply::headerPeriod(lexer_.TokenText))
            state_.RecordPeriod = *period;
    } else if (std::strcmp(label, "Start Time  ") == 0) {
        lexer_.ReadBareWord();
        // The date header adds to this value, so its date part must be zero even
        // when the time cannot be read: the record times then start at midnight
        // of the right day instead of adding a date to an old value.
        state_.RecordTime = reply::headerTimeOfDay(lexer_.TokenText).value_or(0.0);
    } else if (std::strcmp(label, "Start Date  ") == 0) {
        lexer_.ReadBareWord();
        // A date that does not exist adds nothing.
        if (const auto date = reply::headerDate(lexer_.TokenText)) state_.RecordTime += *date;
    }
}

}  // namespace nesmo
