#include "link/command_sequence.h"

#include "link/link.h"

namespace nesmo {

int CommandSequence::send(const QByteArray& command)
{
    const int result = link_.SendCommand(command);
    ++sent_;
    if (result) {
        silentInARow_ = 0;
        return result;
    }
    ++unanswered_;
    switch (link_.lastOutcome()) {
        case Link::Outcome::Silent:
            if (++silentInARow_ >= 2) throw InstrumentNotAnswering();
            break;
        case Link::Outcome::NotSent:
            // The link is closed (or closing): nothing more can be said to the instrument.
            if (!link_.linkOpen()) throw InstrumentNotAnswering();
            break;
        default: silentInARow_ = 0; break;
    }
    return result;
}

}  // namespace nesmo
