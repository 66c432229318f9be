#include "shell/qt_dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include "widgets/control_names.h"

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
    nameField(list, "PortList", QStringLiteral("Serial port"));
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

namespace {

QString runFileDialog(QWidget* parent, const FileDialogSetup& setup, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, setup.title, setup.directory);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilters(setup.filters);
    dialog.setDefaultSuffix(setup.defaultSuffix);
    if (!setup.fileName.isEmpty()) dialog.selectFile(setup.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace

QString QtDialogs::openFileName(const FileDialogSetup& setup)
{
    return runFileDialog(parent_, setup, QFileDialog::AcceptOpen);
}

QString QtDialogs::saveFileName(const FileDialogSetup& setup)
{
    return runFileDialog(parent_, setup, QFileDialog::AcceptSave);
}

bool QtDialogs::print(QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent_);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<QFont> QtDialogs::chooseFont(const QFont& initial)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent_);
    if (!ok) return std::nullopt;
    return font;
}

}  // namespace nesmo
