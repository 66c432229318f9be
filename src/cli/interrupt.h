#pragma once

#include <functional>

namespace nesmo::cli {

// Ctrl-C (SIGINT) and SIGTERM, turned into an event of the event loop: the first
// one calls the action set here, from the loop and not from the signal handler,
// so that a running exchange ends and what arrived is kept; without an action
// the tool ends there and then. A second signal ends the process at once.
// Either way the tool ends by the signal itself (endBySignal), so that a shell
// running it stops too and reports 128 + the signal (130, 143).
class InterruptWatch {
public:
    // Starts watching; call once the QCoreApplication exists.
    static void install();
    // What to do on the first signal (a wait on the instrument ends).
    static void onInterrupt(std::function<void()> action);
    static bool interrupted();
    // After an interruption: flushes the output and ends the process by the
    // signal that interrupted it. Returns only when there was none.
    static void endBySignal();
};

}  // namespace nesmo::cli
