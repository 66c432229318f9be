#pragma once

#include <QTimer>
#include <QWidget>

namespace nesmo {

// The about window: shown for two seconds at start as a splash, and later from
// the Help menu.
class AboutWindow final : public QWidget {
    Q_OBJECT

public:
    explicit AboutWindow(QWidget* parent = nullptr);
    // Shows the window at once, painted, and hides it after two seconds.
    void showSplash();

private:
    QTimer closeTimer_;
};

}  // namespace nesmo
