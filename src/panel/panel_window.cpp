#include "panel/panel_window.h"

#include <QFontDatabase>

#include "widgets/control_names.h"

namespace nesmo {

PanelWindow::PanelWindow(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("Nesmo-7"));
    setFixedSize(362, 267);
    QFont base(QStringLiteral("Arial"));
    base.setPixelSize(13);
    setFont(base);

    QFont italic = base;
    italic.setItalic(true);
    serialLabel_ = nameControl(new QLabel(QStringLiteral("Serial No. ?"), this), "SerialNumberLbl");
    serialLabel_->setFont(italic);
    serialLabel_->setGeometry(10, 5, 230, 18);
    deviceLabel_ = nameControl(new QLabel(QStringLiteral("Device ?"), this), "DeviceNo");
    deviceLabel_->setFont(italic);
    deviceLabel_->setGeometry(148, 5, 90, 18);
    deviceLabel_->hide();
    versionLabel_ =
        nameControl(new QLabel(QStringLiteral("Version  ?"), this), "SoftwareVersionLbl");
    versionLabel_->setFont(italic);
    versionLabel_->setGeometry(10, 25, 230, 18);

    auto* model = nameControl(new QLabel(QStringLiteral("Nesmo-7"), this), "Label14");
    QFont big = base;
    big.setPixelSize(20);
    big.setItalic(true);
    model->setFont(big);
    model->setGeometry(152, 59, 120, 26);

    display_ = nameField(new QPlainTextEdit(this), "ipi", QStringLiteral("Instrument display"));
    display_->setGeometry(100, 91, 216, 53);
    display_->setReadOnly(true);
    display_->setLineWrapMode(QPlainTextEdit::NoWrap);
    display_->setFocusPolicy(Qt::NoFocus);
    display_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    display_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setFamily(QStringLiteral("Liberation Mono"));
    fixed.setPixelSize(20);
    fixed.setBold(true);
    display_->setFont(fixed);
    setDisplayBackground(QColor(0, 255, 255));
}

void PanelWindow::setSerialText(const QString& text)
{
    serialLabel_->setText(text);
}

void PanelWindow::setDisplayLine(int line, const QString& text)
{
    if (line < 0 || line > 1) return;
    lines_[line] = text;
    refreshDisplay();
}

QString PanelWindow::displayLine(int line) const
{
    return (line >= 0 && line < 2) ? lines_[line] : QString();
}

void PanelWindow::refreshDisplay()
{
    display_->setPlainText(lines_[0] + QLatin1Char('\n') + lines_[1]);
}

void PanelWindow::setDisplayBackground(const QColor& colour)
{
    QPalette pal = display_->palette();
    pal.setColor(QPalette::Base, colour);
    pal.setColor(QPalette::Text, Qt::black);
    display_->setPalette(pal);
}

}  // namespace nesmo
