#pragma once

#include <QFont>
#include <QPointer>
#include <QWidget>

#include "core/dialogs.h"

namespace nesmo {

// The real Qt dialogs. Carriage returns in message texts are line breaks.
class QtDialogs final : public Dialogs {
public:
    void setParentWidget(QWidget* parent) { parent_ = parent; }

    void message(const QString& text) override;
    void error(const QString& text) override;
    bool askYesNo(const QString& text, const QString& caption, Icon icon) override;
    bool askOkCancel(const QString& text, const QString& caption, Icon icon) override;
    std::optional<int> choosePort(const QStringList& entries) override;
    QString openFileName(const FileDialogSetup& setup) override;
    QString saveFileName(const FileDialogSetup& setup) override;
    bool print(QPrinter& printer) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;

    // "\r\n" and "\r" become line feeds, which Qt labels break at.
    static QString displayText(const QString& text);

private:
    QPointer<QWidget> parent_;
};

}  // namespace nesmo
