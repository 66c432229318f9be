#pragma once

#include <QApplication>

namespace nesmo {

class Dialogs;

// Catches an error that escapes an event handler, shows it in the standard error
// box and lets the event loop go on.
class NesmoApplication final : public QApplication {
public:
    NesmoApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
    void setDialogs(Dialogs* dialogs) { dialogs_ = dialogs; }

private:
    Dialogs* dialogs_ = nullptr;
};

}  // namespace nesmo
