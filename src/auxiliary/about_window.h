#pragma once

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace nesmo {

// The about window "Nesmo Port": the program's name and version, read from the
// program file's own version information each time it is shown. At start it is a
// splash that Timer1 closes two seconds after the window was made; from the Help
// menu it stays until "Close". Closing only hides it.
class AboutWindow final : public QWidget {
    Q_OBJECT

public:
    explicit AboutWindow(QWidget* parent = nullptr, std::function<QString()> programVersion = {});

    QLabel* Label3() const { return label3_; }
    QPushButton* CloseButton() const { return closeButton_; }
    QTimer& Timer1() { return timer1_; }

    // Shown at once, without waiting, and painted before the event loop runs.
    void showSplash();
    // From the Help menu: with its "Close" button.
    void showFromMenu();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void Timer1Timer();

    std::function<QString()> programVersion_;
    QLabel* label3_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QTimer timer1_;
};

}  // namespace nesmo
