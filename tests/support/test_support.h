#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFont>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>
#include <functional>
#include <optional>

#include "core/dialogs.h"

namespace nesmo::test {

// Runs the event loop until the condition holds or the time is up.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

// Reads a whole file (empty when it cannot be read).
QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& data);

// A pseudo-terminal pair: the program opens the slave through a symbolic link,
// the test plays the instrument on the master side.
class PtyPair {
public:
    explicit PtyPair(const QString& linkPath);
    ~PtyPair();
    QString linkPath() const { return link_; }
    // What the program wrote, waiting up to timeoutMs for at least minBytes.
    QByteArray readFromProgram(int minBytes = 1, int timeoutMs = 3000);
    void writeToProgram(const QByteArray& data);
    // Closes the master side: for the program the device has gone away.
    void closeMaster();

private:
    int master_ = -1;
    int slave_ = -1;
    QString link_;
};

// The simulated instrument as its own process.
class SimProcess {
public:
    // Starts nesmo7-sim with these arguments and waits for its "ready" line.
    explicit SimProcess(const QStringList& arguments);
    ~SimProcess();
    bool ready() const { return ready_; }
    QString readyLine() const { return readyLine_; }
    // The TCP port from "ready tcp <port>".
    quint16 tcpPort() const;
    QProcess& process() { return process_; }

private:
    QProcess process_;
    bool ready_ = false;
    QString readyLine_;
};

// Records every message and answers dialogs from a script.
class ScriptedDialogs : public Dialogs {
public:
    void message(const QString& text) override
    {
        messages << text;
        if (onMessage) onMessage(text);
    }
    void error(const QString& text) override { errors << text; }
    bool askYesNo(const QString& text, const QString& caption, Icon icon) override
    {
        return answer(text, caption, icon, yesNoAnswer);
    }
    bool askOkCancel(const QString& text, const QString& caption, Icon icon) override
    {
        return answer(text, caption, icon, okCancelAnswer);
    }
    std::optional<int> choosePort(const QStringList& entries) override
    {
        portDialogs << entries;
        if (!portChoice) return std::nullopt;
        return portChoice(entries);
    }
    QString openFileName(const FileDialogSetup& setup) override
    {
        openDialogs << setup;
        return openAnswer;
    }
    QString saveFileName(const FileDialogSetup& setup) override
    {
        saveDialogs << setup;
        proposedNames << setup.fileName;
        return saveAnswer;
    }
    // Confirms the print dialog with the printer writing a PDF file, when a path is set.
    bool print(QPrinter& printer) override;
    std::optional<QFont> chooseFont(const QFont& initial) override
    {
        fontDialogs << initial;
        return fontAnswer;
    }

    struct Question {
        QString text;
        QString caption;
        Icon icon;
    };

    QStringList messages;
    QStringList errors;
    QStringList questions;
    QList<Question> asked;  // every question with its caption and icon
    // Answers the next questions in order (true: Yes or OK); once used up, the
    // questions get yesNoAnswer or okCancelAnswer.
    QList<bool> answers;
    // Runs after a message is recorded (a test may throw from it).
    std::function<void(const QString&)> onMessage;
    QList<QStringList> portDialogs;
    QStringList proposedNames;
    bool yesNoAnswer = true;
    bool okCancelAnswer = true;
    std::function<std::optional<int>(const QStringList&)> portChoice;
    QString openAnswer;
    QString saveAnswer;
    QList<FileDialogSetup> openDialogs;
    QList<FileDialogSetup> saveDialogs;
    QString printToPdf;  // empty: the print dialog is cancelled
    int printDialogs = 0;
    QList<QFont> fontDialogs;
    std::optional<QFont> fontAnswer;

private:
    bool answer(const QString& text, const QString& caption, Icon icon, bool otherwise)
    {
        questions << text;
        asked << Question{text, caption, icon};
        return answers.isEmpty() ? otherwise : answers.takeFirst();
    }
};

// Checks what assistive tools hear for every named control below root (root
// included): a control that shows a text of its own (button, check box, label,
// group box) is read by exactly that text, without accelerator marks; a control
// the program names without a text of its own is read by a name that is not
// empty; every control named after the program's own names carries that name as
// its description. Returns one line per control that breaks the rule.
QStringList unreadableControls(QWidget* root);

// While it lives, no file of this process can grow past maxBytes: a write beyond
// fails as on a full disk (EFBIG), also for root.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(qint64 maxBytes);
    ~ScopedFileSizeLimit();
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

private:
    qint64 previousSoft_ = 0;
    void (*previousHandler_)(int) = nullptr;
};

// Picks the dialog entry that names this device path.
std::function<std::optional<int>(const QStringList&)> chooseDevice(const QString& path);

}  // namespace nesmo::test
