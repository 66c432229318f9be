#include "reply/reply_queue.h"

#include <algorithm>
#include <cstring>

namespace nesmo {

void ReplyQueue::push(char c)
{
    if (c == kCR) {
        chars_.push_back(c);
        ++lineCount_;
        unfinished_ = 0;
        return;
    }
    if (unfinished_ >= kMaxUnfinishedLine) return;  // over-long line: drop
    chars_.push_back(c);
    ++unfinished_;
}

void ReplyQueue::push(const char* data, qsizetype n)
{
    while (n > 0) {
        const void* cr = std::memchr(data, kCR, size_t(n));
        const qsizetype run = cr ? static_cast<const char*>(cr) - data : n;
        const qsizetype kept = std::min(run, kMaxUnfinishedLine - unfinished_);
        if (kept > 0) {
            chars_.append(data, size_t(kept));
            unfinished_ += kept;
        }
        if (!cr) return;
        push(kCR);
        data += run + 1;
        n -= run + 1;
    }
}

void ReplyQueue::pushFront(char c)
{
    if (head_ > 0)
        chars_[--head_] = c;
    else
        chars_.insert(chars_.begin(), c);
    if (c == kCR) ++lineCount_;
    frontChanged();
}

void ReplyQueue::dropTaken()
{
    chars_.erase(0, head_);
    head_ = 0;
}

void ReplyQueue::dropLine()
{
    if (isEmpty()) return;
    const char* const base = chars_.data();
    const void* cr = std::memchr(base + head_, kCR, chars_.size() - head_);
    if (!cr) {
        // No carriage return left: the count is already 0.
        chars_.clear();
        head_ = 0;
        frontChanged();
        return;
    }
    head_ = size_t(static_cast<const char*>(cr) - base) + 1;
    --lineCount_;
    if (head_ == chars_.size()) {
        chars_.clear();
        head_ = 0;
    } else if (head_ >= 4096 && head_ * 2 >= chars_.size()) {
        dropTaken();
    }
    frontChanged();
}

void ReplyQueue::clear()
{
    chars_.clear();
    head_ = 0;
    lineCount_ = 0;
    unfinished_ = 0;
}

}  // namespace nesmo
