#pragma once

#include <QString>
#include <QWidget>

namespace nesmo {

// Gives a control its name: the objectName and accessible description carry the
// control's name, the accessible name what a person reads for it.
template <typename W>
W* name(W* widget, const char* objectName, const QString& readable)
{
    widget->setObjectName(QString::fromLatin1(objectName));
    widget->setAccessibleDescription(QString::fromLatin1(objectName));
    widget->setAccessibleName(readable);
    return widget;
}

}  // namespace nesmo
