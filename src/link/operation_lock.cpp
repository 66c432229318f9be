#include "link/operation_lock.h"

namespace nesmo {

LongOperation::LongOperation(OperationLock& lock, const QString& what) : lock_(lock)
{
    if (lock_.busy()) return;
    taken_ = true;
    lock_.running_ = what;
    emit lock_.changed(true);
}

LongOperation::~LongOperation()
{
    if (!taken_) return;
    lock_.running_.clear();
    emit lock_.changed(false);
}

QString LongOperation::refusal() const
{
    return QStringLiteral("Wait until the program has finished %1.").arg(lock_.running());
}

}  // namespace nesmo
