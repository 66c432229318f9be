#pragma once

#include <QtGlobal>
#include <deque>

namespace nesmo {

// The characters received from the instrument, waiting for the reply parser.
// A first-in first-out queue of 8-bit characters that also takes one character
// pushed back at its front (the lexer's look-ahead).
//
// LineCount() is the number of carriage returns in the queue. It is a full-width
// counter: an 8-bit one would lose whole lines after 256 queued carriage returns;
// below that the count is the same.
//
// The unfinished last line is capped at kMaxUnfinishedLine characters: characters
// beyond that, up to the next carriage return, are dropped, so a stream that never
// sends a carriage return cannot make the queue grow without bound. The carriage
// return that finally comes is kept.
class ReplyQueue {
public:
    static constexpr qsizetype kMaxUnfinishedLine = 64 * 1024;
    static constexpr char kCR = '\r';

    void push(char c);       // at the back
    void pushFront(char c);  // at the front (one character pushed back)
    char take();             // from the front; 0 when empty (the queue stays empty)
    void clear();

    quint32 LineCount() const { return lineCount_; }
    qsizetype size() const { return static_cast<qsizetype>(chars_.size()); }
    bool isEmpty() const { return chars_.empty(); }

private:
    // After a change at the front: when no carriage return is left, the whole
    // queue is the unfinished line.
    void frontChanged();

    std::deque<char> chars_;
    quint32 lineCount_ = 0;
    qsizetype unfinished_ = 0;  // characters after the last carriage return
};

}  // namespace nesmo
