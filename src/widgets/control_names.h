#pragma once

#include <QString>
#include <QWidget>

namespace nesmo {

// Every named control carries its name as objectName and accessible description.
// Its accessible name is what a person reads for it:
//
// - a control that shows a text of its own (button, check box, radio button, label,
//   group box, tab) keeps Qt's own accessible name, which is that text as shown,
//   also after the program changes it; nameControl() never overrides it;
// - a control without a text of its own (edit field, list, text area, chart,
//   picture-only tool button) is read by the label beside it or its hint, given to
//   nameField(), made unique where several fields share one label.
template <typename W>
W* nameControl(W* widget, const char* objectName)
{
    widget->setObjectName(QString::fromLatin1(objectName));
    widget->setAccessibleDescription(QString::fromLatin1(objectName));
    return widget;
}

template <typename W>
W* nameField(W* widget, const char* objectName, const QString& readable)
{
    nameControl(widget, objectName);
    widget->setAccessibleName(readable);
    return widget;
}

}  // namespace nesmo
