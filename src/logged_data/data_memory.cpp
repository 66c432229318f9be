#include "logged_data/data_memory.h"

#include "link/commands.h"
#include "logged_data/data_text_page.h"
#include "widgets/busy_scope.h"

namespace nesmo {

namespace {

const QString kNoneSelected = QStringLiteral("No tag files were selected for deletion");
const QString kNoneDeleted = QStringLiteral("No tag files were deleted");
const QString kNoneDeletedAll = QStringLiteral("No tag files have been deleted");
const QString kAllDeleted = QStringLiteral("ALL tag files have been deteted");
const QString kRunMode = QStringLiteral("Cannot delete data in RUN mode");
const QString kNotInStandby =
    QStringLiteral("Instrument should be in standby for memory reset.\rMemory was not erased.");
const QString kNotErased = QStringLiteral("Data was not erased.");

// The tag number an entry of the tag list starts with ("  5    123" is tag 5).
int entryTag(const QString& entry)
{
    bool ok = false;
    const int number = entry.left(2).trimmed().toInt(&ok);
    return ok ? number : -1;
}

}  // namespace

DataMemory::DataMemory(AppState& state, Link& link, Dialogs& dialogs, DataTextPage& page,
                       InstrumentProgress& progress, DataMemoryHooks hooks, QObject* parent)
    : QObject(parent),
      state_(state),
      link_(link),
      dialogs_(dialogs),
      page_(page),
      progress_(progress),
      hooks_(std::move(hooks))
{
}

QString DataMemory::unanswered() const
{
    if (link_.lastOutcome() == Link::Outcome::NotSent && !link_.linkOpen())
        return QStringLiteral("The instrument is not connected.");
    return QStringLiteral("The instrument did not answer.");
}

bool DataMemory::refusedWhileBusy(const QString& nothingDone)
{
    // A tag's reply in the middle of a dump would end the dump's capture. (A dump
    // that stopped coming is ended by that reply, as by any keyword line.)
    if (!(hooks_.tagListBusy && hooks_.tagListBusy())) return false;
    dialogs_.message(QStringLiteral("The instrument is sending a tag list or a tag. Wait until it "
                                    "has finished.\r") +
                     nothingDone);
    return true;
}

QString DataMemory::selectTag(const QString& entry)
{
    state_.CurrentTag = -1;
    if (!link_.SendCommand(QString::asprintf(cmd::kTagFmt, qPrintable(entry)).toLatin1()))
        return unanswered();
    const int wanted = entryTag(entry);
    if (wanted < 0 || state_.CurrentTag != wanted)
        return QStringLiteral("The instrument did not confirm tag %1 as its current tag.")
            .arg(entry.left(2).trimmed());
    return {};
}

void DataMemory::finish()
{
    if (state_.ReturnToGraph && hooks_.showGraphPage) hooks_.showGraphPage();
}

void DataMemory::TagDeleteButtonClick()
{
    if (page_.CheckBoxAllData()->isChecked())
        FileDeleteAllExecute();
    else
        FileDeleteTagExecute();
    page_.CheckBoxAllData()->setChecked(false);
}

void DataMemory::FileDeleteTagExecute()
{
    if (refusedWhileBusy(kNoneDeleted)) return;
    QString result;
    {
        BusyScope busy;
        page_.TagSelectPanel()->hide();
        const QListWidgetItem* selected = page_.TagListBox()->currentItem();
        if (!selected || !selected->isSelected()) {
            result = kNoneSelected;
        } else {
            const QString entry = selected->text();
            page_.RichEdit1()->clear();
            if (const QString notCurrent = selectTag(entry); !notCurrent.isEmpty()) {
                // "v 147" erases the current tag, whichever it is: without the
                // instrument's word that the chosen tag is current, nothing is deleted.
                result = notCurrent + u'\r' + kNoneDeleted;
            } else {
                busy.end();
                const QString number = hooks_.tagNumberText ? hooks_.tagNumberText() : QString();
                if (dialogs_.askYesNo(QStringLiteral("WARNING! \n Are you sure you want to delete "
                                                     "Tag file %1 from the instrument?")
                                          .arg(number),
                                      QStringLiteral("NESMO-7"), Dialogs::Icon::Error)) {
                    BusyScope deleting;
                    const int deleted = link_.SendCommand(QByteArray(cmd::kDeleteCurrentTag));
                    page_.setTerminalShown(false);
                    const QString tag = entry.left(2);
                    if (deleted)
                        result = QStringLiteral("Tag %1 has been deleted").arg(tag);
                    else if (link_.lastOutcome() == Link::Outcome::NotSent)
                        result = unanswered() + u'\r' + kNoneDeleted;
                    else
                        result = QStringLiteral(
                                     "The instrument did not answer the delete "
                                     "command.\rList the tags to see whether tag %1 "
                                     "was deleted.")
                                     .arg(tag.trimmed());
                } else {
                    result = kNoneDeleted;
                }
            }
        }
    }
    if (!link_.closing()) dialogs_.message(result);
    finish();
}

void DataMemory::FileDeleteAllExecute()
{
    if (refusedWhileBusy(kNoneDeletedAll)) return;
    const int first = link_.SendCommand(QByteArray(cmd::kRunMode));
    const int second = link_.SendCommand(QByteArray(cmd::kRunMode));
    if (link_.closing()) return;
    if (state_.InstrumentRunning || state_.FirmwareUpgradeActive) {
        dialogs_.message(kRunMode);
        return;
    }
    if (!first && !second) {
        // The run mode is unknown: an instrument that logs would lose its tag.
        dialogs_.message(unanswered() + u'\r' + kNoneDeletedAll);
        return;
    }

    page_.TagSelectPanel()->hide();
    page_.CheckBoxAllData()->setChecked(true);
    QString result;
    if (!dialogs_.askYesNo(QStringLiteral("WARNING! \nAre you sure you want to delete ALL Tag "
                                          "files from the instrument?"),
                           QStringLiteral("NESMO-7"), Dialogs::Icon::Error)) {
        result = kNoneDeletedAll;
    } else {
        BusyScope busy;
        const QListWidget* list = page_.TagListBox();
        const int count = list->count();
        int deleted = 0;
        QString stopped;
        for (; deleted < count; ++deleted) {
            stopped = selectTag(list->item(deleted)->text());
            if (stopped.isEmpty() && !link_.SendCommand(QByteArray(cmd::kDeleteCurrentTag)))
                stopped = unanswered();
            if (!stopped.isEmpty()) break;
        }
        if (count == 0)
            result = kNoneDeletedAll;  // nothing listed, nothing deleted
        else if (deleted == count)
            result = kAllDeleted;
        else
            result = stopped + QStringLiteral(
                                   "\r%1 of %2 tag files have been deleted; the deleting stopped "
                                   "at tag %3.")
                                   .arg(deleted)
                                   .arg(count)
                                   .arg(list->item(deleted)->text().left(2).trimmed());
    }
    page_.setTerminalShown(false);
    if (!link_.closing()) dialogs_.message(result);
    finish();
}

void DataMemory::Clearallloggeddata1Click()
{
    const int answered = link_.SendCommand(QByteArray(cmd::kRunMode));
    if (link_.closing()) return;
    if (state_.InstrumentRunning || state_.FirmwareUpgradeActive) {
        dialogs_.message(kNotInStandby);
        return;
    }
    if (!answered) {
        dialogs_.message(unanswered() + u'\r' + kNotErased);
        return;
    }
    if (!dialogs_.askOkCancel(QStringLiteral("Re-formatting data memory will take 100 seconds.\r"
                                             "All Nesmo-7 Logged data and Site List data will "
                                             "be erased."),
                              QStringLiteral("Nesmo-7 Re-format data memory"),
                              Dialogs::Icon::Information)) {
        dialogs_.message(kNotErased);
        return;
    }
    link_.SendCommand(QByteArray(cmd::kReformat));
    if (link_.lastOutcome() == Link::Outcome::NotSent) {
        // Nothing went out: no report will ever end the bar.
        if (!link_.closing()) dialogs_.message(unanswered() + u'\r' + kNotErased);
        return;
    }
    // Written: the instrument's report may still come, even after a time-out.
    if (hooks_.showMainPage) hooks_.showMainPage();
    progress_.startReformat();
}

}  // namespace nesmo
