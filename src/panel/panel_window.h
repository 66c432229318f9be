#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QWidget>

namespace nesmo {

// The instrument panel window: an always-on-top copy of the instrument's front
// with its two-line display and its serial number and firmware version. It lives
// for the whole run and is only shown and hidden.
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

private:
    void refreshDisplay();

    QLabel* serialLabel_ = nullptr;
    QLabel* deviceLabel_ = nullptr;
    QLabel* versionLabel_ = nullptr;
    QPlainTextEdit* display_ = nullptr;
    QString lines_[2];
};

}  // namespace nesmo
