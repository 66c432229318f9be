#include "widgets/tool_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "widgets/control_names.h"

namespace nesmo {

namespace {

constexpr int kSize = 20;

template <typename Draw>
QIcon paintIcon(Draw draw)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    p.end();
    return QIcon(pixmap);
}

void page(QPainter& p, QRectF r)
{
    p.setPen(QPen(QColor(70, 70, 70), 1.2));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 3)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

void letters(QPainter& p, const QString& text, int pixelSize, bool bold)
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    p.setFont(f);
    p.setPen(QColor(30, 30, 30));
    p.drawText(QRectF(0, 0, kSize, kSize), Qt::AlignCenter, text);
}

void strike(QPainter& p)
{
    p.setPen(QPen(QColor(200, 0, 0), 2));
    p.drawLine(QPointF(3, 17), QPointF(17, 3));
}

void drawOption(QPainter& p, ToolIcon kind, const QColor& colour)
{
    if (kind == ToolIcon::Markers) {
        p.setPen(QPen(colour, 1.5));
        p.setBrush(colour);
        for (const QPointF c : {QPointF(4, 14), QPointF(10, 8), QPointF(16, 12)})
            p.drawRect(QRectF(c.x() - 2, c.y() - 2, 4, 4));
        return;
    }
    QPainterPath path;
    if (kind == ToolIcon::Steps) {
        path.moveTo(2, 15);
        path.lineTo(7, 15);
        path.lineTo(7, 8);
        path.lineTo(13, 8);
        path.lineTo(13, 12);
        path.lineTo(18, 12);
    } else {
        path.moveTo(2, 15);
        path.lineTo(7, 8);
        path.lineTo(12, 12);
        path.lineTo(18, 4);
    }
    p.setPen(QPen(colour, 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

}  // namespace

QIcon toolIcon(ToolIcon kind)
{
    return paintIcon([kind](QPainter& p) {
        switch (kind) {
            case ToolIcon::Download:
                page(p, QRectF(5, 1.5, 10, 12));
                p.setPen(QPen(QColor(0, 110, 0), 2.5));
                p.drawLine(QPointF(10, 8), QPointF(10, 18));
                p.drawLine(QPointF(6, 14), QPointF(10, 18));
                p.drawLine(QPointF(14, 14), QPointF(10, 18));
                break;
            case ToolIcon::Open:
                p.setPen(QPen(QColor(120, 90, 0), 1.2));
                p.setBrush(QColor(240, 200, 80));
                p.drawRect(QRectF(2, 6, 16, 11));
                p.drawRect(QRectF(2, 4, 7, 2));
                break;
            case ToolIcon::Save:
                p.setPen(QPen(QColor(20, 40, 110), 1.2));
                p.setBrush(QColor(70, 110, 200));
                p.drawRect(QRectF(2.5, 2.5, 15, 15));
                p.setBrush(Qt::white);
                p.drawRect(QRectF(5.5, 3, 9, 6));
                break;
            case ToolIcon::Print:
                page(p, QRectF(5.5, 1.5, 9, 8));
                p.setPen(QPen(QColor(60, 60, 60), 1.2));
                p.setBrush(QColor(190, 190, 190));
                p.drawRect(QRectF(2.5, 8.5, 15, 7));
                page(p, QRectF(5.5, 13.5, 9, 5));
                break;
            case ToolIcon::Copy:
                page(p, QRectF(2.5, 2.5, 10, 12));
                page(p, QRectF(7.5, 6.5, 10, 12));
                break;
            case ToolIcon::Font: letters(p, QStringLiteral("F"), 16, true); break;
            case ToolIcon::FontSize: letters(p, QStringLiteral("A+"), 12, true); break;
            case ToolIcon::Help: letters(p, QStringLiteral("?"), 16, true); break;
            case ToolIcon::Markers:
            case ToolIcon::Steps: drawOption(p, kind, QColor(40, 40, 40)); break;
        }
    });
}

QIcon seriesIcon(const QColor& colour, bool on)
{
    return paintIcon([&](QPainter& p) {
        drawOption(p, ToolIcon::Download, on ? colour : QColor(180, 180, 180));
        if (!on) strike(p);
    });
}

QIcon optionIcon(ToolIcon kind, bool on)
{
    return paintIcon([&](QPainter& p) {
        drawOption(p, kind, on ? QColor(40, 40, 40) : QColor(180, 180, 180));
        if (!on) strike(p);
    });
}

QToolButton* addToolButton(QToolBar* bar, const char* objectName, const QString& hint,
                           const QIcon& icon)
{
    auto* button = nameField(new QToolButton, objectName, hint);
    button->setToolTip(hint);
    button->setIcon(icon);
    bar->addWidget(button);
    return button;
}

QToolButton* findToolButton(const QToolBar* bar, const char* objectName)
{
    return bar->findChild<QToolButton*>(QString::fromLatin1(objectName));
}

}  // namespace nesmo
