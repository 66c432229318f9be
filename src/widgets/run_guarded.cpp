#include "widgets/run_guarded.h"

#include <exception>

#include "core/conversion.h"
#include "core/dialogs.h"

namespace nesmo {

void runGuarded(Dialogs& dialogs, const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const OperationAborted&) {
        // Stopped on purpose, without a word to the operator.
    } catch (const std::exception& e) {
        dialogs.error(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        dialogs.error(QStringLiteral("An unknown error occurred."));
    }
}

}  // namespace nesmo
