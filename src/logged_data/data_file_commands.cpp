#include "logged_data/data_file_commands.h"

#include "widgets/file_dialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTextCursor>

#include "core/save_file.h"
#include "files/csv_export.h"
#include "files/data_file.h"
#include "logged_data/data_graph_page.h"
#include "logged_data/data_text_page.h"

namespace nesmo {

DataFileCommands::DataFileCommands(AppState& state, Dialogs& dialogs, DataTextPage& text,
                                   DataGraphPage& graph, std::function<ActivePage()> activePage,
                                   std::function<void()> showTextPage, QObject* parent)
    : QObject(parent),
      state_(state),
      dialogs_(dialogs),
      text_(text),
      graph_(graph),
      activePage_(std::move(activePage)),
      showTextPage_(std::move(showTextPage))
{
}

void DataFileCommands::showFileName(const QString& path)
{
    text_.setStatusPanel(0, QFileInfo(path).fileName());
}

bool DataFileCommands::refusedWhileDownloading()
{
    // The download would replace the page (and not its file name) when it ends:
    // an opened file would be shown under the dump, or a half-received text saved.
    if (!state_.Downloading) return false;
    dialogs_.message(QStringLiteral(
        "A download from the instrument is still running. Wait until it has ended, then open "
        "or save a file."));
    return true;
}

void DataFileCommands::FileOpenExecute()
{
    if (refusedWhileDownloading()) return;
    const QString path = dialogs_.openFileName(textFileOpenSetup());
    if (!path.isEmpty()) openFile(path);
}

void DataFileCommands::openFile(const QString& path)
{
    if (refusedWhileDownloading()) return;
    // A file that cannot be read changes nothing: text, name and status stay.
    const DataFileRead file = readDataFile(path, DataTextPage::kTextLimit);
    if (!file.error.isEmpty()) {
        dialogs_.message(file.error);
        return;
    }
    showTextPage_();
    text_.setTextBytes(file.bytes);
    state_.CurrentFileName = path;
    showFileName(path);
    graph_.markStale();
}

void DataFileCommands::FileSaveAsExecute()
{
    if (refusedWhileDownloading()) return;
    // A name without a folder (a capture's or "Untitled.csv") opens in the working folder.
    const QString path =
        dialogs_.saveFileName(textFileSaveSetup(state_.CurrentFileName, state_.CurrentFileName));
    if (path.isEmpty()) return;
    const QString error = writeDataFile(path, dataFileBytes(text_.pageText()));
    if (!error.isEmpty()) {
        dialogs_.message(QStringLiteral("The file %1 could not be saved:\n%2\n"
                                        "Nothing was written; a file of that name is unchanged.")
                             .arg(path, error));
        return;
    }
    state_.CurrentFileName = path;
    showFileName(path);
}

void DataFileCommands::FileExportCsvExecute()
{
    if (refusedWhileDownloading()) return;
    const CsvExport csv = exportCsv(text_.pageText().toLatin1());
    if (!csv.error.isEmpty()) {
        dialogs_.message(
            QStringLiteral("The text cannot be exported as CSV: it is no readable tag.\n%1")
                .arg(csv.error));
        return;
    }
    const QFileInfo current(state_.CurrentFileName);
    FileDialogSetup setup;
    setup.title = QStringLiteral("Export as CSV");
    setup.directory =
        current.fileName().isEmpty() || !current.isAbsolute() ? QString() : current.absolutePath();
    setup.fileName = current.completeBaseName().isEmpty()
                         ? QStringLiteral("Untitled.csv")
                         : current.completeBaseName() + QStringLiteral(".csv");
    setup.filters = {QStringLiteral("CSV file (*.csv)"), QStringLiteral("All files (*)")};
    setup.defaultSuffix = QStringLiteral("csv");
    const QString path = dialogs_.saveFileName(setup);
    if (path.isEmpty()) return;
    const QString headerPath = csvHeaderFileName(path);
    QString error = saveWholeFile(path, csv.records);
    const QString failed = error.isEmpty() ? headerPath : path;
    if (error.isEmpty()) error = saveWholeFile(headerPath, csv.header);
    if (!error.isEmpty())
        dialogs_.message(
            QStringLiteral("The file %1 could not be written:\n%2").arg(failed, error));
}

void DataFileCommands::FilePrintExecute()
{
    switch (activePage_()) {
        case ActivePage::DataText:
            printer_.setDocName(state_.CurrentFileName);
            if (dialogs_.print(printer_)) text_.RichEdit1()->print(&printer_);
            break;
        case ActivePage::DataGraph:
            if (dialogs_.print(printer_)) graph_.printChart(printer_);
            break;
        default: break;
    }
}

void DataFileCommands::EditCopyExecute()
{
    switch (activePage_()) {
        case ActivePage::DataText: {
            QPlainTextEdit* edit = text_.RichEdit1();
            if (edit->textCursor().hasSelection()) {
                edit->copy();
            } else {
                // The whole text, leaving nothing selected.
                QTextCursor cursor = edit->textCursor();
                const int position = cursor.position();
                edit->selectAll();
                edit->copy();
                cursor.setPosition(position);
                edit->setTextCursor(cursor);
            }
            break;
        }
        case ActivePage::DataGraph:
            QApplication::clipboard()->setPixmap(graph_.chartPicture());
            break;
        default: break;
    }
}

void DataFileCommands::EditSelectAllExecute()
{
    if (activePage_() != ActivePage::DataText) return;
    text_.RichEdit1()->setFocus();
    text_.RichEdit1()->selectAll();
}

void DataFileCommands::TextFontExecute()
{
    QPlainTextEdit* edit = text_.RichEdit1();
    QTextCursor cursor = edit->textCursor();
    if (cursor.hasSelection()) {
        const std::optional<QFont> font = dialogs_.chooseFont(cursor.charFormat().font());
        if (!font) return;
        QTextCharFormat format;
        format.setFont(*font);
        cursor.mergeCharFormat(format);
    } else {
        // The whole text: the page's font, which printing uses as well.
        const std::optional<QFont> font = dialogs_.chooseFont(edit->font());
        if (font) edit->setFont(*font);
    }
}

void DataFileCommands::TextSizeExecute()
{
    QPlainTextEdit* edit = text_.RichEdit1();
    QTextCursor cursor = edit->textCursor();
    if (cursor.hasSelection()) {
        QFont font = cursor.charFormat().font();
        if (font.pointSizeF() <= 0) font = edit->font();
        QTextCharFormat format;
        format.setFontPointSize(font.pointSizeF() + 1);
        cursor.mergeCharFormat(format);
    } else {
        QFont font = edit->font();
        font.setPointSizeF(font.pointSizeF() + 1);
        edit->setFont(font);
    }
}

}  // namespace nesmo
