#include "widgets/file_dialogs.h"

#include <QFileInfo>

namespace nesmo {

FileDialogSetup textFileOpenSetup()
{
    FileDialogSetup setup;
    setup.title = QStringLiteral("Open File");
    setup.filters = {QStringLiteral("Text files: *.txt; *.csv (*.txt *.csv)"),
                     QStringLiteral("Rich text: *.rtf; *.doc (*.rtf *.doc)"),
                     QStringLiteral("All files (*)")};
    setup.defaultSuffix = QStringLiteral("txt");
    return setup;
}

FileDialogSetup textFileSaveSetup(const QString& proposedName, const QString& folderOf)
{
    FileDialogSetup setup;
    setup.title = QStringLiteral("Save As");
    setup.fileName = proposedName;
    if (folderOf.contains(QLatin1Char('/'))) setup.directory = QFileInfo(folderOf).path();
    setup.filters = {QStringLiteral("text file (*.txt)"), QStringLiteral("CSV file (*.csv)"),
                     QStringLiteral("All files (*)")};
    setup.defaultSuffix = QStringLiteral("txt");
    return setup;
}

}  // namespace nesmo
