#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QFont;
class QPrinter;

namespace nesmo {

// What an open or save dialog shows.
struct FileDialogSetup {
    QString title;
    QString directory;      // the folder it opens in; empty for the working folder
    QString fileName;       // the proposed name; empty for none
    QStringList filters;    // Qt name filters, e.g. "text file (*.txt)"
    QString defaultSuffix;  // added to a name typed without one
};

// Every message box and every file, port, print and font dialog goes through
// this interface. The program shows the real Qt dialogs; tests put in a script.
class Dialogs {
public:
    enum class Icon { None, Information, Warning, Error, Question };

    virtual ~Dialogs() = default;

    // A plain message: the text and an OK button, the application title as caption.
    virtual void message(const QString& text) = 0;
    // The application's standard error box for an error no handler caught.
    virtual void error(const QString& text) = 0;
    // Yes/No question; true for Yes.
    virtual bool askYesNo(const QString& text, const QString& caption, Icon icon) = 0;
    // OK/Cancel question; true for OK.
    virtual bool askOkCancel(const QString& text, const QString& caption, Icon icon) = 0;

    // The "Select Port" dialog: returns the index of the chosen entry, or nothing
    // when the operator cancelled.
    virtual std::optional<int> choosePort(const QStringList& entries) = 0;

    // File dialogs: an empty result means cancelled. The save dialog asks
    // before it lets the operator pick a file that exists.
    virtual QString openFileName(const FileDialogSetup& setup) = 0;
    virtual QString saveFileName(const FileDialogSetup& setup) = 0;

    // The print dialog for this printer; true when the operator confirmed it.
    virtual bool print(QPrinter& printer) = 0;
    // The font dialog, starting from this font; nothing when cancelled.
    virtual std::optional<QFont> chooseFont(const QFont& initial) = 0;
};

}  // namespace nesmo
