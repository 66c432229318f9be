#include "shell/qt_dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/accessible.h"

namespace nesmo {

namespace {

QMessageBox::Icon toQt(Dialogs::Icon icon)
{
    switch (icon) {
        case Dialogs::Icon::Information: return QMessageBox::Information;
        case Dialogs::Icon::Warning: return QMessageBox::Warning;
        case Dialogs::Icon::Error: return QMessageBox::Critical;
        case Dialogs::Icon::Question: return QMessageBox::Question;
        case Dialogs::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QString QtDialogs::displayText(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

void QtDialogs::message(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), displayText(text),
                    QMessageBox::Ok, parent_);
    box.exec();
}

void QtDialogs::error(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(),
                    displayText(text), QMessageBox::Ok, parent_);
    box.exec();
}

bool QtDialogs::askYesNo(const QString& text, const QString& caption, Icon icon)
{
    QMessageBox box(toQt(icon), caption, displayText(text), QMessageBox::Yes | QMessageBox::No,
                    parent_);
    return box.exec() == QMessageBox::Yes;
}

bool QtDialogs::askOkCancel(const QString& text, const QString& caption, Icon icon)
{
    QMessageBox box(toQt(icon), caption, displayText(text), QMessageBox::Ok | QMessageBox::Cancel,
                    parent_);
    return box.exec() == QMessageBox::Ok;
}

std::optional<int> QtDialogs::choosePort(const QStringList& entries)
{
    QDialog dialog(parent_);
    dialog.setWindowTitle(QStringLiteral("Select Port"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("The configured serial port is not valid.")));
    layout->addWidget(new QLabel(QStringLiteral("Please choose another port.")));
    auto* list = new QComboBox;
    list->addItems(entries);
    list->setMinimumContentsLength(40);
    name(list, "PortList", QStringLiteral("Serial port"));
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (entries.isEmpty()) buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
    if (dialog.exec() != QDialog::Accepted || list->currentIndex() < 0) return std::nullopt;
    return list->currentIndex();
}

QString QtDialogs::openFileName(const QString& title, const QString& dir,
                                const QStringList& filters)
{
    return QFileDialog::getOpenFileName(parent_, title, dir, filters.join(QStringLiteral(";;")));
}

QString QtDialogs::saveFileName(const QString& title, const QString& proposed,
                                const QStringList& filters)
{
    return QFileDialog::getSaveFileName(parent_, title, proposed,
                                        filters.join(QStringLiteral(";;")));
}

}  // namespace nesmo
