#pragma once

#include <QApplication>
#include <QPointer>
#include <QPushButton>

namespace nesmo {

// While a long operation talks to the instrument: the hourglass cursor shown and
// the button that started it (if any) disabled, both restored however the
// operation ends.
class BusyScope {
public:
    explicit BusyScope(QPushButton* button = nullptr) : button_(button)
    {
        if (button_) button_->setEnabled(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyScope() { end(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

    void end()
    {
        if (ended_) return;
        ended_ = true;
        if (button_) button_->setEnabled(true);
        QApplication::restoreOverrideCursor();
    }

private:
    QPointer<QPushButton> button_;
    bool ended_ = false;
};

}  // namespace nesmo
