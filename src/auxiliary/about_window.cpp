#include "auxiliary/about_window.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include "files/program_version.h"
#include "widgets/control_names.h"

namespace nesmo {

namespace {

QFont pixelFont(const QString& family, int pixels, QFont::StyleHint hint, bool bold = false,
                bool italic = false)
{
    QFont f(family);
    f.setStyleHint(hint);
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

// The picture above the name: the instrument's outline with its display and a
// few particles drifting past, on a transparent ground.
QPixmap makePicture()
{
    QPixmap pm(210, 71);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 70, 130), 2));
    p.setBrush(QColor(0, 90, 160));
    p.drawRoundedRect(QRectF(62, 4, 86, 63), 10, 10);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(170, 210, 150));
    p.drawRoundedRect(QRectF(72, 12, 66, 22), 3, 3);
    p.setBrush(QColor(230, 230, 230));
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QRectF(76 + i * 22, 44, 14, 14));
    p.setBrush(QColor(120, 190, 240));
    const QPointF dots[] = {{14, 20},  {30, 42},  {44, 14},  {22, 58}, {170, 18},
                            {186, 40}, {160, 56}, {198, 12}, {50, 50}};
    for (int i = 0; i < int(std::size(dots)); ++i)
        p.drawEllipse(dots[i], 2.0 + i % 3, 2.0 + i % 3);
    return pm;
}

template <typename W>
W* place(W* widget, int left, int top)
{
    widget->move(left, top);
    widget->adjustSize();
    return widget;
}

}  // namespace

AboutWindow::AboutWindow(QWidget* parent, std::function<QString()> programVersion)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint),
      programVersion_(programVersion ? std::move(programVersion) : &ProgramFileVersion)
{
    setObjectName(QStringLiteral("TFormAbout"));
    setWindowTitle(QStringLiteral("Nesmo Port"));
    setFont(pixelFont(QStringLiteral("Times New Roman"), 14, QFont::Serif));
    setFixedSize(440, 236);

    auto* image = nameField(new QLabel(this), "Image1", QStringLiteral("Program picture"));
    image->setPixmap(makePicture());
    image->setGeometry(119, 34, 210, 71);
    auto* label1 =
        place(nameControl(new QLabel(QStringLiteral("Nesmo Port"), this), "Label1"), 136, 108);
    label1->setFont(pixelFont(QStringLiteral("Arial"), 43, QFont::SansSerif, false, true));
    label1->adjustSize();
    label3_ = nameControl(new QLabel(QStringLiteral("Version 1.00"), this), "Label3");
    label3_->setFont(pixelFont(QStringLiteral("Arial"), 13, QFont::SansSerif));
    place(label3_, 170, 167);
    auto* label2 = nameControl(
        new QLabel(QStringLiteral("Communication application for the Nesmo-7"), this), "Label2");
    label2->setFont(pixelFont(QStringLiteral("Times New Roman"), 17, QFont::Serif, true, true));
    place(label2, 49, 197);
    closeButton_ = nameControl(new QPushButton(QStringLiteral("Close"), this), "CloseButton");
    closeButton_->setGeometry(344, 160, 75, 25);
    closeButton_->hide();
    connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);

    // From the window's creation: the splash closes itself once.
    timer1_.setInterval(2000);
    connect(&timer1_, &QTimer::timeout, this, &AboutWindow::Timer1Timer);
    timer1_.start();
}

void AboutWindow::showEvent(QShowEvent* event)
{
    FormShow();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QWidget::showEvent(event);
}

void AboutWindow::FormShow()
{
    label3_->setText(QStringLiteral("Version ") + programVersion_());
    label3_->adjustSize();
}

void AboutWindow::Timer1Timer()
{
    timer1_.stop();
    close();
}

void AboutWindow::showSplash()
{
    show();
    repaint();
}

void AboutWindow::showFromMenu()
{
    closeButton_->show();
    show();
    raise();
}

}  // namespace nesmo
