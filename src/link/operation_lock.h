#pragma once

#include <QObject>
#include <QString>

namespace nesmo {

// Who holds the conversation with the instrument for a long operation (a
// configuration read or write, the site list, a listing or a download, a
// delete, a re-format, a backup, a restore, a firmware upgrade). Such an
// operation sends many commands and waits for each reply with the event loop
// running, so without this a click could start a second one inside the first
// one's wait and mix their commands. One operation at a time: the others are
// refused while it runs, and the window follows `changed` to lock them out.
class OperationLock final : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // What runs, as it reads after "finished" ("reading the site list"); empty
    // when nothing does.
    const QString& running() const { return running_; }
    bool busy() const { return !running_.isEmpty(); }

signals:
    void changed(bool busy);

private:
    friend class LongOperation;
    QString running_;
};

// Holds the lock for the lifetime of one long operation, when it was free.
class LongOperation {
public:
    LongOperation(OperationLock& lock, const QString& what);
    ~LongOperation();
    LongOperation(const LongOperation&) = delete;
    LongOperation& operator=(const LongOperation&) = delete;

    // False: another operation runs, and this one must not start.
    bool taken() const { return taken_; }
    // The short message that refuses this operation while another runs.
    QString refusal() const;

private:
    OperationLock& lock_;
    bool taken_ = false;
};

}  // namespace nesmo
