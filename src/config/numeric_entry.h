#pragma once

#include <QHash>
#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <functional>

namespace nesmo {

// The entry rules of the numeric fields: the key filter (digits, minus sign,
// full stop, comma and backspace pass; Enter runs the field's exit handler and is
// swallowed; other characters are dropped) and the handlers that run when a field
// gains or loses the focus. Editing keys without a character (arrows, Delete,
// Tab, shortcuts) pass untouched.
class NumericEntry final : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<void(QLineEdit*)>;

    explicit NumericEntry(QObject* parent = nullptr) : QObject(parent) {}

    // onExit runs when the field loses the focus to another control of the
    // program; onEnterKey on the Enter key; onFocusIn when it gains the focus.
    void add(QLineEdit* field, Handler onExit, Handler onEnterKey, Handler onFocusIn = {});

    // Gives the focus back to a field whose text was refused. Leaving the field
    // that had taken the focus meanwhile runs no exit handler.
    void giveFocusBack(QLineEdit* field);

    // Whether a typed character passes the key filter.
    static bool accepts(QChar c);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Field {
        Handler onExit, onEnterKey, onFocusIn;
    };
    QHash<QObject*, Field> fields_;
    bool givingFocusBack_ = false;
};

}  // namespace nesmo
