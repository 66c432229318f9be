#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace nesmo {

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

    // File dialogs: an empty result means cancelled.
    virtual QString openFileName(const QString& title, const QString& dir,
                                 const QStringList& filters) = 0;
    virtual QString saveFileName(const QString& title, const QString& proposed,
                                 const QStringList& filters) = 0;
};

}  // namespace nesmo
