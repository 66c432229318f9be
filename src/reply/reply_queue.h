#pragma once

#include <QtGlobal>
#include <string>

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

    void push(char c);  // at the back
    // Characters at the back, as push() one by one would put them.
    void push(const char* data, qsizetype n);
    void pushFront(char c);  // at the front (one character pushed back)
    // From the front; 0 when empty (the queue stays empty).
    char take()
    {
        if (isEmpty()) return 0;
        const char c = chars_[head_++];
        if (head_ == chars_.size()) {
            chars_.clear();
            head_ = 0;
        } else if (head_ >= 4096 && head_ * 2 >= chars_.size()) {
            dropTaken();
        }
        if (c == kCR) --lineCount_;
        frontChanged();
        return c;
    }
    // Drops the front up to and including its first carriage return (all of it
    // when it holds none), as take() until a carriage return would.
    void dropLine();
    void clear();

    quint32 LineCount() const { return lineCount_; }
    qsizetype size() const { return static_cast<qsizetype>(chars_.size() - head_); }
    bool isEmpty() const { return head_ == chars_.size(); }

private:
    // After a change at the front: when no carriage return is left, the whole
    // queue is the unfinished line.
    void frontChanged()
    {
        if (lineCount_ == 0) unfinished_ = size();
    }
    // Drops the taken front once it is at least half of the storage.
    void dropTaken();

    // The queue is chars_ from head_ on; the taken front is dropped in blocks.
    std::string chars_;
    size_t head_ = 0;
    quint32 lineCount_ = 0;
    qsizetype unfinished_ = 0;  // characters after the last carriage return
};

}  // namespace nesmo
