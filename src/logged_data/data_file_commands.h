#pragma once

#include <QObject>
#include <QPrinter>
#include <functional>

#include "core/app_state.h"
#include "core/dialogs.h"

namespace nesmo {

class DataGraphPage;
class DataTextPage;

// The main window's page that is active when a file command runs decides what
// the command acts on.
enum class ActivePage { Main, DataText, DataGraph, Config, SiteList };

// The file and edit commands of the Data text and Data graph pages: open, save
// as, print, copy, select all, font and size.
class DataFileCommands final : public QObject {
    Q_OBJECT

public:
    DataFileCommands(AppState& state, Dialogs& dialogs, DataTextPage& text, DataGraphPage& graph,
                     std::function<ActivePage()> activePage, std::function<void()> showTextPage,
                     QObject* parent = nullptr);

    void FileOpenExecute();
    // Opens a logged-data file as "Open from file" does, without asking for it
    // (a file named on the command line, as the file manager passes it).
    void openFile(const QString& path);
    void FileSaveAsExecute();
    // File > "Export as CSV…": the page's tag as a CSV file of its records and,
    // beside it, "<name>.header.csv" with the header values.
    void FileExportCsvExecute();
    void FilePrintExecute();
    void EditCopyExecute();
    void EditSelectAllExecute();
    void TextFontExecute();
    void TextSizeExecute();

    // Shows a file's name in the first status panel, without its folder.
    void showFileName(const QString& path);
    bool refusedWhileDownloading();

private:
    AppState& state_;
    Dialogs& dialogs_;
    DataTextPage& text_;
    DataGraphPage& graph_;
    std::function<ActivePage()> activePage_;
    std::function<void()> showTextPage_;
    // Kept, so that the print dialog remembers the operator's choices.
    QPrinter printer_;
};

}  // namespace nesmo
