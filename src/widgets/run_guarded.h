#pragma once

#include <functional>

namespace nesmo {

class Dialogs;

// Runs a handler and shows any error it raises in the standard error box; an
// operation stopped on purpose (OperationAborted) ends without a word.
void runGuarded(Dialogs& dialogs, const std::function<void()>& handler);

}  // namespace nesmo
