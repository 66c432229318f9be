#include "panel/panel_window.h"

#include <QCloseEvent>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>

#include "widgets/control_names.h"

// The panel's pictures live in a static library: their resource is registered by hand.
static void initPanelPictures()
{
    Q_INIT_RESOURCE(panel);
}

namespace nesmo {

namespace {

// A picture of the panel's own drawing, from its SVG text.
QPixmap svgPicture(const QByteArray& svg, QSize size)
{
    QSvgRenderer renderer(svg);
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

QByteArray svgResource(const char* name)
{
    QFile file(QStringLiteral(":/panel/") + QString::fromLatin1(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The picture of a PC keyboard key with its letter.
QPixmap keycap(char letter)
{
    QByteArray svg = svgResource("keycap.svg");
    svg.replace("%1", QByteArray(1, letter));
    return svgPicture(svg, QSize(44, 44));
}

}  // namespace

PanelWindow::PanelWindow(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
{
    initPanelPictures();
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
    addPicture("Image2", svgPicture(svgResource("instrument.svg"), QSize(95, 35)),
               QRect(250, 6, 95, 35), QString(), QStringLiteral("Nesmo-7 instrument"));

    auto* model = nameControl(new QLabel(QStringLiteral("Nesmo-7"), this), "Label14");
    QFont big = base;
    big.setPixelSize(20);
    big.setItalic(true);
    model->setFont(big);
    model->setGeometry(152, 59, 120, 26);

    // The display: two lines of a bold fixed-pitch font, both whole in its 53 pixels.
    display_ = nameField(new QPlainTextEdit(this), "ipi", QStringLiteral("Instrument display"));
    display_->setGeometry(100, 91, 216, 53);
    display_->setReadOnly(true);
    display_->setLineWrapMode(QPlainTextEdit::NoWrap);
    display_->setFocusPolicy(Qt::NoFocus);
    display_->setFrameShape(QFrame::NoFrame);
    display_->document()->setDocumentMargin(2);
    display_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    display_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setFamily(QStringLiteral("Liberation Mono"));
    fixed.setPixelSize(20);
    fixed.setBold(true);
    display_->setFont(fixed);
    setDisplayBackground(QColor(0, 255, 255));

    using panel::Key;
    addKey(Key::OnOff, "BitBtn1", "key-onoff.svg", 35, 88)
        ->setToolTip(QStringLiteral("This control does not turn instrument ON or OFF."));
    addKey(Key::Esc, "dESC", "key-esc.svg", 95, 152);
    addKey(Key::Up, "BitBtn2", "key-up.svg", 155, 152);
    addKey(Key::Down, "BitBtn3", "key-down.svg", 215, 152);
    addKey(Key::Enter, "BitBtn4", "key-enter.svg", 275, 152);

    addPicture("Image3", keycap('U'), QRect(98, 223, 44, 44),
               QStringLiteral("Press 'U' on the keyboard for 'ESC'"), QString());
    addPicture("Image4", keycap('I'), QRect(158, 223, 44, 44),
               QStringLiteral("Press 'I' on the keyboard for 'UP'"), QString());
    addPicture("Image5", keycap('O'), QRect(218, 223, 44, 44),
               QStringLiteral("Press 'O' on the keyboard for 'DOWN'"), QString());
    addPicture("Image6", keycap('P'), QRect(278, 223, 44, 44),
               QStringLiteral("Press 'P' on the keyboard for 'ENTER'"), QString());
    addPicture("Image1", keycap('Y'), QRect(38, 224, 44, 44),
               QStringLiteral("Press and hold 'Y' to power off instrument"), QString())
        ->hide();
}

QPushButton* PanelWindow::addKey(panel::Key key, const char* objectName, const char* picture, int x,
                                 int y)
{
    static const char* const kKeyNames[] = {"",       "ON/OFF key", "ESC key",
                                            "UP key", "DOWN key",   "ENTER key"};
    auto* button = nameField(new QPushButton(this), objectName,
                             QString::fromLatin1(kKeyNames[static_cast<int>(key)]));
    button->setGeometry(x, y, 47, 47);
    button->setIcon(QIcon(svgPicture(svgResource(picture), QSize(47, 47))));
    button->setIconSize(QSize(43, 43));
    button->setFlat(true);
    // Clicks must not take the focus: the window itself hears the keyboard.
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QPushButton::clicked, this, [this, key] { emit keyPressed(key, false); });
    keys_ << qMakePair(key, button);
    return button;
}

QLabel* PanelWindow::addPicture(const char* objectName, const QPixmap& picture, const QRect& place,
                                const QString& hint, const QString& readable)
{
    auto* label = nameField(new QLabel(this), objectName, readable.isEmpty() ? hint : readable);
    label->setPixmap(picture);
    label->setGeometry(place);
    if (!hint.isEmpty()) label->setToolTip(hint);
    return label;
}

QPushButton* PanelWindow::keyButton(panel::Key key) const
{
    for (const auto& [k, button] : keys_)
        if (k == key) return button;
    return nullptr;
}

void PanelWindow::keyPressEvent(QKeyEvent* event)
{
    // Every key-down acts, a held key's repeats included.
    const panel::Key key = panel::keyFor(event->key());
    if (key == panel::Key::None) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    emit keyPressed(key, event->isAutoRepeat());
}

void PanelWindow::closeEvent(QCloseEvent* event)
{
    // Closing only hides the window (it lives as long as the program). The close
    // is accepted: a window that refused it would also refuse the program's end.
    QWidget::closeEvent(event);
    emit closedByOperator();
}

void PanelWindow::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    // The instrument's front: a rounded outline, dashed, 9 pixels wide, not filled.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(QColor(90, 96, 102), 9, Qt::DashLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(8 + 4.5, 48 + 4.5, 340 - 9, 169 - 9), 18, 18);
}

void PanelWindow::moveFrameTo(int top, int left)
{
    QPoint place(left, top);
    // A place on no screen (a screen since removed) is moved onto the nearest one.
    const QRect frame(place, frameGeometry().size());
    QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
        if (screen) {
            const QRect area = screen->availableGeometry();
            place.setX(qBound(area.left(), left, qMax(area.left(), area.right() - frame.width())));
            place.setY(qBound(area.top(), top, qMax(area.top(), area.bottom() - frame.height())));
        }
    }
    move(place);
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
