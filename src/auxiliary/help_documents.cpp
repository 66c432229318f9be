#include "auxiliary/help_documents.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QUrl>

namespace nesmo {

namespace {

#ifdef Q_OS_LINUX
// xdg-open returns as soon as the viewer has the document, or with a non-zero
// status when the file or a viewer for it is missing. It is never waited for:
// on some desktops it lasts as long as the viewer.
class XdgOpener final : public DocumentOpener {
public:
    void open(const QString& path, std::function<void()> failed) override
    {
        auto* process = new QProcess;
        process->setProgram(QStringLiteral("xdg-open"));
        process->setArguments({path});
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setStandardErrorFile(QProcess::nullDevice());
        QObject::connect(process, &QProcess::finished, process,
                         [process, failed](int code, QProcess::ExitStatus status) {
                             if (code != 0 || status != QProcess::NormalExit) failed();
                             process->deleteLater();
                         });
        QObject::connect(process, &QProcess::errorOccurred, process,
                         [process, failed](QProcess::ProcessError error) {
                             if (error != QProcess::FailedToStart) return;
                             failed();
                             process->deleteLater();
                         });
        process->start();
    }
};
#else
class ShellOpener final : public DocumentOpener {
public:
    void open(const QString& path, std::function<void()> failed) override
    {
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) failed();
    }
};
#endif

}  // namespace

std::unique_ptr<DocumentOpener> makeDesktopOpener()
{
#ifdef Q_OS_LINUX
    return std::make_unique<XdgOpener>();
#else
    return std::make_unique<ShellOpener>();
#endif
}

HelpDocuments::HelpDocuments(Dialogs& dialogs, QObject* parent)
    : QObject(parent), dialogs_(dialogs), opener_(makeDesktopOpener())
{
}

QString HelpDocuments::locate(const QString& fileName, bool alsoInIndex)
{
    const QDir here = QDir::current();
    for (const QString& candidate : {here.absoluteFilePath(fileName),
                                     here.absoluteFilePath(QStringLiteral("index/") + fileName)}) {
        if (QFileInfo(candidate).isFile()) return candidate;
        if (!alsoInIndex) break;
    }
    return {};
}

void HelpDocuments::open(const QString& fileName, bool alsoInIndex, const QString& failure)
{
    const QString path = locate(fileName, alsoInIndex);
    if (path.isEmpty()) {
        dialogs_.message(failure);
        return;
    }
    QPointer<HelpDocuments> self(this);
    opener_->open(path, [self, failure] {
        if (self) self->dialogs_.message(failure);
    });
}

void HelpDocuments::HelpContentsExecute()
{
    open(QStringLiteral("Nesmo PORT.chm"), false,
         QStringLiteral("Help Contents \r\rError loading Help for Nesmo PORT \r \rFile: 'Nesmo "
                        "PORT.chm' was not found"));
}

void HelpDocuments::HelpManNesmoExecute()
{
    open(
        QStringLiteral("Nesmo7 Manual.pdf"), true,
        QStringLiteral("Error loading User Manual for Nesmo PORT \r\rFile was not found \ror Adobe "
                       "Acrobat is unavailable"));
}

void HelpDocuments::HelpManOstrelExecute()
{
    open(QStringLiteral("Ostrel7 Manual.pdf"), true,
         QStringLiteral("Error loading User Manual for Ostrel PORT \r\rFile was not found \ror "
                        "Adobe Acrobat is unavailable"));
}

}  // namespace nesmo
