#include "reply/reply_queue.h"

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

void ReplyQueue::pushFront(char c)
{
    chars_.push_front(c);
    if (c == kCR) ++lineCount_;
    frontChanged();
}

char ReplyQueue::take()
{
    if (chars_.empty()) return 0;
    const char c = chars_.front();
    chars_.pop_front();
    if (c == kCR) --lineCount_;
    frontChanged();
    return c;
}

void ReplyQueue::clear()
{
    chars_.clear();
    lineCount_ = 0;
    unfinished_ = 0;
}

void ReplyQueue::frontChanged()
{
    if (lineCount_ == 0) unfinished_ = size();
}

}  // namespace nesmo
