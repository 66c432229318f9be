#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

#include "panel/panel_keys.h"

namespace nesmo {

// The instrument panel window: an always-on-top copy of the instrument's front
// with its two-line display, its five keys and its serial number and firmware
// version. It lives for the whole run and is only shown and hidden.
class PanelWindow final : public QWidget {
    Q_OBJECT

public:
    explicit PanelWindow(QWidget* parent = nullptr);

    void setSerialText(const QString& text);
    QString serialText() const { return serialLabel_->text(); }
    void setSerialVisible(bool visible) { serialLabel_->setVisible(visible); }
    void setVersionText(const QString& text) { versionLabel_->setText(text); }
    QString versionText() const { return versionLabel_->text(); }
    void setDeviceText(const QString& text) { deviceLabel_->setText(text); }
    QString deviceText() const { return deviceLabel_->text(); }

    // The instrument's two display lines.
    void setDisplayLine(int line, const QString& text);
    QString displayLine(int line) const;
    void setDisplayBackground(const QColor& colour);
    QPlainTextEdit* display() const { return display_; }

    QPushButton* keyButton(panel::Key key) const;

    // Moves the window's frame to a stored place, kept on a screen.
    void moveFrameTo(int top, int left);

signals:
    // A key of the panel was clicked or typed (every key-down, repeats included:
    // autoRepeat tells a held key's repeats from separate presses).
    void keyPressed(panel::Key key, bool autoRepeat);
    // The window's own close box hid it.
    void closedByOperator();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPushButton* addKey(panel::Key key, const char* objectName, const char* picture, int x, int y);
    QLabel* addPicture(const char* objectName, const QPixmap& picture, const QRect& place,
                       const QString& hint, const QString& readable);
    void refreshDisplay();

    QLabel* serialLabel_ = nullptr;
    QLabel* deviceLabel_ = nullptr;
    QLabel* versionLabel_ = nullptr;
    QPlainTextEdit* display_ = nullptr;
    QList<QPair<panel::Key, QPushButton*>> keys_;
    QString lines_[2];
};

}  // namespace nesmo
