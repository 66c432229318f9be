#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "core/dialogs.h"

namespace nesmo {

// Hands a document to the desktop's viewer for its type. The viewer is started
// without waiting for it; when it cannot show the document, `failed` runs later.
class DocumentOpener {
public:
    virtual ~DocumentOpener() = default;
    virtual void open(const QString& path, std::function<void()> failed) = 0;
};

// The desktop's own opener: xdg-open on Linux (its exit status tells whether the
// document could be shown), the shell's "open" elsewhere.
std::unique_ptr<DocumentOpener> makeDesktopOpener();

// The program's help and the two instruments' manuals: documents beside the
// program's working folder, not part of it.
class HelpDocuments final : public QObject {
    Q_OBJECT

public:
    // Opens documents with the desktop's opener unless given another.
    explicit HelpDocuments(Dialogs& dialogs, QObject* parent = nullptr);
    void setOpener(std::unique_ptr<DocumentOpener> opener) { opener_ = std::move(opener); }

    void HelpContentsExecute();
    void HelpManNesmoExecute();
    void HelpManOstrelExecute();

    // Where a document is looked for: the working folder, and for the manuals
    // also the folder "index" below it. Empty when it is in neither.
    static QString locate(const QString& fileName, bool alsoInIndex);

private:
    void open(const QString& fileName, bool alsoInIndex, const QString& failure);

    Dialogs& dialogs_;
    std::unique_ptr<DocumentOpener> opener_;
};

}  // namespace nesmo
