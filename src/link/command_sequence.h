#pragma once

#include <QByteArray>
#include <stdexcept>

namespace nesmo {

class Link;

// Raised by a command sequence when the instrument has stopped answering.
class InstrumentNotAnswering : public std::runtime_error {
public:
    InstrumentNotAnswering() : std::runtime_error("The instrument does not answer.") {}
};

// The exchanges of one long operation (a configuration read or write, the site
// list): counts those that got no complete reply, and gives up at the second
// exchange in a row that got no byte at all, so that a dead instrument costs
// two time-outs and not one per command.
class CommandSequence {
public:
    explicit CommandSequence(Link& link) : link_(link) {}

    // SendCommand's result (1 replied, 0 not); throws InstrumentNotAnswering at
    // the second silent exchange in a row.
    int send(const QByteArray& command);

    int sent() const { return sent_; }
    int unanswered() const { return unanswered_; }

private:
    Link& link_;
    int sent_ = 0;
    int unanswered_ = 0;
    int silentInARow_ = 0;
};

}  // namespace nesmo
