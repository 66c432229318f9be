#include "config/numeric_entry.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

namespace nesmo {

void NumericEntry::add(QLineEdit* field, Handler onExit, Handler onEnterKey, Handler onFocusIn)
{
    fields_.insert(field, Field{std::move(onExit), std::move(onEnterKey), std::move(onFocusIn)});
    field->installEventFilter(this);
    connect(field, &QObject::destroyed, this, [this, field] { fields_.remove(field); });
}

bool NumericEntry::accepts(QChar c)
{
    return (c >= u'0' && c <= u'9') || c == u'-' || c == u'.' || c == u',' || c == u'\b';
}

void NumericEntry::giveFocusBack(QLineEdit* field)
{
    // Deferred: the focus is still moving when a field's exit handler runs.
    givingFocusBack_ = true;
    QPointer<QLineEdit> target(field);
    QTimer::singleShot(0, this, [this, target] {
        if (target) target->setFocus(Qt::OtherFocusReason);
        givingFocusBack_ = false;
    });
}

bool NumericEntry::eventFilter(QObject* watched, QEvent* event)
{
    const auto it = fields_.constFind(watched);
    if (it == fields_.constEnd()) return false;
    auto* field = static_cast<QLineEdit*>(watched);

    switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                if (it->onEnterKey) it->onEnterKey(field);
                return true;
            }
            const QString text = key->text();
            if (text.size() != 1) return false;
            const QChar c = text.at(0);
            // Control characters (Tab, shortcuts) are not typed text.
            if (c.unicode() < 0x20 && c != u'\b') return false;
            return !accepts(c);
        }
        case QEvent::FocusIn: {
            // Only the operator entering the field counts: not the window coming back
            // to the front, a menu closing, or the focus passing through while a
            // field that refused its exit takes it back.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
                givingFocusBack_)
                return false;
            if (it->onFocusIn) it->onFocusIn(field);
            return false;
        }
        case QEvent::FocusOut: {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            // The window losing the focus, or a menu opening, is no leaving of the field.
            if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
                return false;
            if (givingFocusBack_) return false;
            if (it->onExit) it->onExit(field);
            return false;
        }
        default: return false;
    }
}

}  // namespace nesmo
