#include "auxiliary/about_window.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>

#include "widgets/control_names.h"

namespace nesmo {

AboutWindow::AboutWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("TFormAbout"));
    setWindowTitle(QStringLiteral("About"));
    auto* layout = new QVBoxLayout(this);
    auto* title = nameControl(new QLabel(QStringLiteral("Nesmo Port")), "ProductName");
    QFont f = title->font();
    f.setPointSize(18);
    f.setBold(true);
    title->setFont(f);
    layout->addWidget(title);
    layout->addWidget(
        nameControl(new QLabel(QStringLiteral("Companion program for the Nesmo-7")), "Comments"));
    auto* version = nameControl(
        new QLabel(QStringLiteral("Version %1").arg(QApplication::applicationVersion())),
        "Version");
    layout->addWidget(version);
    setFixedSize(320, 140);
    closeTimer_.setSingleShot(true);
    closeTimer_.setInterval(2000);
    connect(&closeTimer_, &QTimer::timeout, this, &QWidget::hide);
}

void AboutWindow::showSplash()
{
    show();
    repaint();
    closeTimer_.start();
}

}  // namespace nesmo
