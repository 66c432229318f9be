#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <deque>

namespace nesmo {

// The character store behind the terminal view: 55 columns, the last 300 rows.
// It costs next to nothing per character; the view repaints from it at most
// once per event-loop pass. A carriage return is drawn as a new line, a line
// feed also starts a new line, every other byte is drawn as it is (Latin-1).
class TerminalBuffer {
public:
    static constexpr int kColumns = 55;
    static constexpr int kRows = 300;

    TerminalBuffer();

    // Characters to be shown, before the carriage-return conversion.
    void write(const char* data, qsizetype n);

    const std::deque<QByteArray>& rows() const { return rows_; }
    quint64 revision() const { return revision_; }

    // Capture of everything shown into a file, started afresh when switched on.
    bool startCapture(const QString& path, QString* error);
    void stopCapture();
    bool capturing() const { return capture_.isOpen(); }
    // The first write error since the capture started (empty when none).
    QString captureError() const { return captureError_; }

private:
    void newLine();
    void put(const char* data, qsizetype n);  // no line ends among them

    std::deque<QByteArray> rows_;
    quint64 revision_ = 0;
    QFile capture_;
    QString captureError_;
};

}  // namespace nesmo
