#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace nesmo {

// The capture file "scratch.txt" of a running download. Every line is appended
// to the file and kept in memory as well, so that a file that cannot be written
// loses nothing: the download still ends on the Data text page. With an empty
// path the capture is kept in memory only, by choice and without an error.
//
// A caller that saves the dump itself (the command-line tool) captures to the
// file alone instead: each line is written as Save As writes it, ended by
// CR LF, so the file on disk is the saved file as the dump arrives, and no copy
// of it grows in memory. A failure to write it is then the caller's to report.
class DownloadCapture {
public:
    enum class Keep { TextAndFile, FileOnly };

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
    // From the next start() on.
    void setKeep(Keep keep) { keep_ = keep; }
    void writeLine(const QByteArray& line);
    // Room for this much more text, so that a long dump is not copied as it grows.
    void reserve(qsizetype more);
    void flush();
    void close();

    bool isOpen() const { return open_; }
    // Empty when only the file is kept.
    const QByteArray& text() const { return text_; }
    // The last line written that is not empty, with its line feed.
    const QByteArray& lastLine() const { return lastLine_; }
    // Bytes captured since start(), as the text counts them (one per line end).
    qint64 size() const { return size_; }
    QString path() const { return file_.fileName(); }
    // Set once per capture by the first failure; cleared by start().
    QString error() const { return error_; }
    // The first failure of a capture that keeps its text, once.
    bool takeErrorToReport();

private:
    void fail();
    void writeBlock();

    QFile file_;
    Keep keep_ = Keep::TextAndFile;
    QByteArray text_;
    QByteArray lastLine_;
    QByteArray block_;  // the file's bytes not yet written, when only the file is kept
    qint64 size_ = 0;
    qint64 fileSize_ = 0;    // bytes written to the file
    qint64 syncedSize_ = 0;  // of them, those handed to the disk early
    QString error_;
    bool open_ = false;
    bool errorReported_ = false;
};

}  // namespace nesmo
