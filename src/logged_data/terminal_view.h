#pragma once

#include <QAbstractScrollArea>

#include "link/terminal_buffer.h"

namespace nesmo {

// The terminal view: paints the rows of the terminal buffer in a fixed-pitch
// font, keeping to the newest row. Repaints are coalesced by Qt's update(), so a
// burst of characters costs one paint per event-loop pass.
class TerminalView final : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TerminalView(const TerminalBuffer& buffer, QWidget* parent = nullptr);

    // Height of the view in text rows.
    void setVisibleRows(int rows);
    int visibleRows() const { return visibleRows_; }
    QSize sizeHint() const override;

public slots:
    void bufferChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateScrollRange();
    int lineHeight() const;

    const TerminalBuffer& buffer_;
    int visibleRows_ = 1;
    bool stickToBottom_ = true;
};

}  // namespace nesmo
