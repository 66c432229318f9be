#pragma once

#include <QObject>
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
    std::function<bool()> tagListBusy;       // a listing or a download talks to the instrument
    std::function<void()> showGraphPage;
    std::function<void()> showMainPage;
};

// Removing logged data from the instrument: one tag or every listed tag from the
// tag list, and the re-format of the whole data memory, whose progress the Main
// page's bar shows until the instrument reports it done.
//
// Each result is told by what the instrument answered: a tag is deleted only
// after the instrument has confirmed it as its current tag (the delete command
// erases whatever tag is current), and success is reported only for a command
// the instrument answered.
class DataMemory final : public QObject {
    Q_OBJECT

public:
    DataMemory(AppState& state, Link& link, Dialogs& dialogs, DataTextPage& page,
               InstrumentProgress& progress, DataMemoryHooks hooks, QObject* parent = nullptr);

    void TagDeleteButtonClick();
    void FileDeleteTagExecute();
    void FileDeleteAllExecute();
    void Clearallloggeddata1Click();

private:
    // Why a command got no answer, as the operator reads it.
    QString unanswered() const;
    // Makes the entry's tag the instrument's current tag. Empty once the
    // instrument has named that tag as current; otherwise why not.
    QString selectTag(const QString& entry);
    bool refusedWhileBusy(const QString& nothingDone);
    void finish();

    AppState& state_;
    Link& link_;
    Dialogs& dialogs_;
    DataTextPage& page_;
    InstrumentProgress& progress_;
    DataMemoryHooks hooks_;
};

}  // namespace nesmo
