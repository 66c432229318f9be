#include "logged_data/terminal_view.h"

#include <QFontDatabase>
#include <QPainter>
#include <QScrollBar>

namespace nesmo {

TerminalView::TerminalView(const TerminalBuffer& buffer, QWidget* parent)
    : QAbstractScrollArea(parent), buffer_(buffer)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFamily(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(9);
    setFont(font);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setBackgroundRole(QPalette::Base);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
        stickToBottom_ = v == verticalScrollBar()->maximum();
        viewport()->update();
    });
    setVisibleRows(1);
}

int TerminalView::lineHeight() const
{
    return fontMetrics().lineSpacing();
}

void TerminalView::setVisibleRows(int rows)
{
    visibleRows_ = qMax(1, rows);
    const int frame = 2 * frameWidth();
    const int hbar = horizontalScrollBar()->sizeHint().height();
    setFixedHeight(visibleRows_ * lineHeight() + frame + hbar + 4);
    updateScrollRange();
}

QSize TerminalView::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(QLatin1Char('M')) * (TerminalBuffer::kColumns + 2),
            height()};
}

void TerminalView::updateScrollRange()
{
    const int rows = static_cast<int>(buffer_.rows().size());
    const int shown = qMax(1, viewport()->height() / qMax(1, lineHeight()));
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, qMax(0, rows - shown));
    v->setPageStep(shown);
    if (stickToBottom_) v->setValue(v->maximum());
    const int width = fontMetrics().horizontalAdvance(QLatin1Char('M')) * TerminalBuffer::kColumns;
    horizontalScrollBar()->setRange(0, qMax(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

void TerminalView::bufferChanged()
{
    if (!isVisible()) return;  // painted when shown
    updateScrollRange();
    viewport()->update();
}

void TerminalView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void TerminalView::paintEvent(QPaintEvent*)
{
    updateScrollRange();
    QPainter p(viewport());
    p.setFont(font());
    const int lh = lineHeight();
    const int ascent = fontMetrics().ascent();
    const auto& rows = buffer_.rows();
    const int first = verticalScrollBar()->value();
    const int x = 2 - horizontalScrollBar()->value();
    int y = 0;
    for (int i = first; i < static_cast<int>(rows.size()) && y < viewport()->height(); ++i) {
        p.drawText(x, y + ascent, QString::fromLatin1(rows[static_cast<size_t>(i)]));
        y += lh;
    }
}

}  // namespace nesmo
