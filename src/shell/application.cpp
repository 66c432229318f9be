#include "shell/application.h"

#include <exception>

#include "core/conversion.h"
#include "core/dialogs.h"

namespace nesmo {

NesmoApplication::NesmoApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool NesmoApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const OperationAborted&) {
        // Stopped on purpose, without a word to the operator.
    } catch (const std::exception& e) {
        if (dialogs_) dialogs_->error(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        if (dialogs_) dialogs_->error(QStringLiteral("An unknown error occurred."));
    }
    return false;
}

}  // namespace nesmo
