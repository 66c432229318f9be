#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>

#include "core/app_state.h"
#include "core/dialogs.h"
#include "link/link.h"
#include "widgets/instrument_progress.h"

namespace nesmo {

class DataTextPage;

// What the data-memory operations need of the main window.
struct DataMemoryHooks {
    std::function<QString()> tagNumberText;  // the configuration page's tag number
    std::function<void()> showGraphPage;
    std::function<void()> showMainPage;
};

// Removing logged data from the instrument: one tag or every listed tag from the
// tag list, and the re-format of the whole data memory, whose progress the Main
// page's bar shows until the instrument reports it done.
//
// Each result is told by what the instrument answered: a tag is deleted only
// after the instrument has confirmed it as its current tag (the delete command
// erases whatever tag is current), and a delete is reported as done only when
// the tags listed afterwards no longer hold the tag.
class DataMemory final : public QObject {
    Q_OBJECT

public:
    DataMemory(AppState& state, Link& link, Dialogs& dialogs, DataTextPage& page,
               InstrumentProgress& progress, DataMemoryHooks hooks, QObject* parent = nullptr);

    void TagDeleteButtonClick();
    void FileDeleteTagExecute();
    void FileDeleteAllExecute();
    void Clearallloggeddata1Click();

    // How long a re-format may go without its report before the program stops
    // waiting for it: three times the 100 seconds it takes.
    static constexpr int kReformatLimitMs = 300000;
    void setReformatLimitMs(int ms) { reformatLimit_.setInterval(ms); }

private:
    // Why a command got no answer, as the operator reads it.
    QString unanswered() const;
    // Makes the entry's tag the instrument's current tag. Empty once the
    // instrument has named that tag as current; otherwise why not.
    QString selectTag(const QString& entry);
    // Lists the tags again (the tag list then shows what the instrument holds)
    // and gives the numbers of these entries' tags that are still there; empty
    // with a reason in `error` when the instrument did not list them.
    QList<int> stillListed(const QStringList& entries, QString& error);
    QString deleteTag(const QString& entry);
    QString deleteAll(const QStringList& entries);
    // The program stops waiting for a re-format's report and says why.
    void abandonReformat(const QString& why);
    void finish();

    AppState& state_;
    Link& link_;
    Dialogs& dialogs_;
    DataTextPage& page_;
    InstrumentProgress& progress_;
    DataMemoryHooks hooks_;
    QTimer reformatLimit_;
};

}  // namespace nesmo
