#pragma once

#include <functional>
#include <iosfwd>
#include <unordered_map>

#include "core/app_state.h"
#include "core/instrument_view.h"
#include "reply/download_control.h"
#include "reply/lexer.h"
#include "reply/reply_queue.h"

namespace nesmo {

// Turns the complete lines waiting in the ReplyQueue into the program's picture
// of the instrument. A line is an optional device number, then either a keyword
// line (the keyword and its arguments) or a header line of a logged-data dump
// (a quoted label and its value); anything else is ignored.
//
// The "V" variable replies and the dump headers are handled here; the other
// keywords go to handlers plugged in with setKeywordHandler().
class ReplyParser {
public:
    // Called with the keyword as the current token. A handler reads its values
    // with Advance() and stops at the first token of an unexpected kind; it must
    // not read past a TokEnd, which already belongs to the next line.
    using KeywordHandler = std::function<void(Lexer&)>;

    ReplyParser(AppState& state, ReplyQueue& queue, InstrumentView& view,
                DownloadControl& download);

    // Consumes every complete line in the queue, except after a line from another
    // device: that line is discarded and the rest wait for the next call. An
    // unfinished last line stays queued.
    void ParseReplies();

    // The handler of a keyword code; an empty handler removes it. Code 2 ("V") is
    // always the variable replies and cannot be replaced.
    void setKeywordHandler(int code, KeywordHandler h);

    Lexer& lexer() { return lexer_; }

    // Where the diagnostic line for an unknown variable goes; std::cout unless set.
    void setDiagnosticStream(std::ostream* out);

    static constexpr const char* kUpgradeNotice =
        "An upgrade to the Nesmo-7 firmware is available.";
    static constexpr const char* kMemoryReset = "All data memory has been reset.";

private:
    // Advance(), except that it never reads past the end of the current line.
    quint8 advanceInLine();

    void variableReply();
    void displayLines();     // 5
    void serialNumber();     // 141
    void firmwareVersion();  // 144
    void transferResult();   // 252

    void headerLine();

    AppState& state_;
    ReplyQueue& queue_;
    InstrumentView& view_;
    DownloadControl& download_;
    Lexer lexer_;
    std::unordered_map<int, KeywordHandler> handlers_;
    std::ostream* diagnostics_;
};

}  // namespace nesmo
