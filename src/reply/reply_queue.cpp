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

void ReplyQueue::clear()
{
    chars_.clear();
    head_ = 0;
    lineCount_ = 0;
    unfinished_ = 0;
}

}  // namespace nesmo
