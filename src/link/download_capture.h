#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace nesmo {

// The capture file "scratch.txt" of a running download. Every line is appended
// to the file and kept in memory as well, so that a file that cannot be written
// loses nothing: the download still ends on the Data text page. With an empty
// path the capture is kept in memory only, by choice and without an error.
class DownloadCapture {
public:
    explicit DownloadCapture(QString path = QStringLiteral("scratch.txt"));

    // Starts afresh (a capture still open is closed first). False when the file
    // could not be created; the capture then runs in memory only.
    bool start();
    // Captures to another file from the next start() on (a capture still open is
    // closed first).
    void setPath(const QString& path)
    {
        close();
        file_.setFileName(path);
    }
    void writeLine(const QByteArray& line);
    // Room for this much more text, so that a long dump is not copied as it grows.
    void reserve(qsizetype more) { text_.reserve(text_.size() + more); }
    void flush();
    void close();

    bool isOpen() const { return open_; }
    const QByteArray& text() const { return text_; }
    QString path() const { return file_.fileName(); }
    // Set once per capture by the first failure; cleared by start().
    QString error() const { return error_; }
    bool takeErrorToReport();

private:
    void fail();

    QFile file_;
    QByteArray text_;
    QString error_;
    bool open_ = false;
    bool errorReported_ = false;
};

}  // namespace nesmo
