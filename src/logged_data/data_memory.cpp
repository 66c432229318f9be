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
const QString kDeleting = QStringLiteral("deleting tags");

// The tag number an entry of the tag list starts with ("  5    123" is tag 5).
int entryTag(const QString& entry)
{
    bool ok = false;
    const int number = entry.left(2).trimmed().toInt(&ok);
    return ok ? number : -1;
}

QString tagName(const QString& entry)
{
    return entry.left(2).trimmed();
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
    reformatLimit_.setSingleShot(true);
    reformatLimit_.setInterval(kReformatLimitMs);
    connect(&reformatLimit_, &QTimer::timeout, this, [this] {
        abandonReformat(
            QStringLiteral("The instrument has not reported the end of the re-format within %1 "
                           "seconds; the program no longer waits for it.")
                .arg(reformatLimit_.interval() / 1000));
    });
    // A new connection may lead to another instrument, or to this one switched
    // off and on: the old one's report will not come over it.
    connect(&link_, &Link::connectionReset, this, [this] {
        abandonReformat(
            QStringLiteral("The connection to the instrument was made anew during the "
                           "re-format; the program no longer waits for its report."));
    });
}

QString DataMemory::unanswered() const
{
    if (link_.lastOutcome() == Link::Outcome::NotSent && !link_.linkOpen())
        return QStringLiteral("The instrument is not connected.");
    return QStringLiteral("The instrument did not answer.");
}

QString DataMemory::selectTag(const QString& entry)
{
    state_.CurrentTag = -1;
    if (!link_.SendCommand(QString::asprintf(cmd::kTagFmt, qPrintable(entry)).toLatin1()))
        return unanswered();
    const int wanted = entryTag(entry);
    if (wanted < 0 || state_.CurrentTag != wanted)
        return QStringLiteral("The instrument did not confirm tag %1 as its current tag.")
            .arg(tagName(entry));
    return {};
}

QList<int> DataMemory::stillListed(const QStringList& entries, QString& error)
{
    error.clear();
    if (!link_.SendCommand(QByteArray(cmd::kTags))) {
        error = link_.closing() ? QString() : unanswered();
        return {};
    }
    const QListWidget* list = page_.TagListBox();
    QList<int> listed;
    for (int i = 0; i < list->count(); ++i)
        listed << entryTag(list->item(i)->text());
    QList<int> still;
    for (const QString& entry : entries)
        if (const int tag = entryTag(entry); tag >= 0 && listed.contains(tag)) still << tag;
    return still;
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
    const LongOperation operation(link_.operations(), kDeleting);
    if (!operation.taken()) {
        dialogs_.message(operation.refusal());
        return;
    }
    QString result;
    {
        BusyScope busy;
        page_.TagSelectPanel()->hide();
        const QListWidgetItem* selected = page_.TagListBox()->currentItem();
        if (!selected || !selected->isSelected()) {
            result = kNoneSelected;
        } else {
            // The entry as it is now: the listing after the delete rebuilds the list.
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
                    const BusyScope deleting;
                    result = deleteTag(entry);
                } else {
                    result = kNoneDeleted;
                }
            }
        }
    }
    if (!link_.closing()) dialogs_.message(result);
    finish();
}

QString DataMemory::deleteTag(const QString& entry)
{
    const int deleted = link_.SendCommand(QByteArray(cmd::kDeleteCurrentTag));
    page_.setTerminalShown(false);
    const QString tag = tagName(entry);
    if (!deleted && link_.lastOutcome() == Link::Outcome::NotSent)
        return unanswered() + u'\r' + kNoneDeleted;
    // Only the instrument's own list tells whether the tag has gone: it keeps
    // the tag it is logging into, and a delete may go unanswered.
    QString error;
    const QList<int> still = stillListed({entry}, error);
    if (!error.isEmpty())
        return (deleted ? QStringLiteral("The instrument did not list its tags after the delete.")
                        : QStringLiteral("The instrument did not answer the delete command.")) +
               QStringLiteral("\rList the tags to see whether tag %1 was deleted.").arg(tag);
    if (!still.isEmpty())
        return QStringLiteral(
                   "Tag %1 is still in the Nesmo-7.\rThe instrument keeps the tag it is "
                   "logging into.")
            .arg(tag);
    return QStringLiteral("Tag %1 has been deleted").arg(entry.left(2));
}

void DataMemory::FileDeleteAllExecute()
{
    const LongOperation operation(link_.operations(), kDeleting);
    if (!operation.taken()) {
        dialogs_.message(operation.refusal());
        return;
    }
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
    // The entries as they are when the operator agrees to delete them.
    QStringList entries;
    for (int i = 0; i < page_.TagListBox()->count(); ++i)
        entries << page_.TagListBox()->item(i)->text();
    QString result;
    if (!dialogs_.askYesNo(QStringLiteral("WARNING! \nAre you sure you want to delete ALL Tag "
                                          "files from the instrument?"),
                           QStringLiteral("NESMO-7"), Dialogs::Icon::Error)) {
        result = kNoneDeletedAll;
    } else {
        const BusyScope busy;
        result = deleteAll(entries);
    }
    page_.setTerminalShown(false);
    if (!link_.closing()) dialogs_.message(result);
    finish();
}

QString DataMemory::deleteAll(const QStringList& entries)
{
    if (entries.isEmpty()) return kNoneDeletedAll;  // nothing listed, nothing deleted
    qsizetype tried = 0;
    QString stopped;
    for (; tried < entries.size(); ++tried) {
        stopped = selectTag(entries[tried]);
        if (stopped.isEmpty() && !link_.SendCommand(QByteArray(cmd::kDeleteCurrentTag)))
            stopped = unanswered();
        if (!stopped.isEmpty()) break;
    }
    if (link_.closing()) return {};
    const QStringList sent = entries.mid(0, tried);
    const auto counted = [&](qsizetype deleted) {
        return QStringLiteral("%1 of %2 tag files have been deleted")
            .arg(deleted)
            .arg(entries.size());
    };
    QString error;
    const QList<int> still = sent.isEmpty() ? QList<int>() : stillListed(sent, error);
    if (!error.isEmpty()) {
        const QString unknown = QStringLiteral(
            "The instrument did not list its tags afterwards: list them to see which were "
            "deleted.");
        return stopped.isEmpty() ? unknown
                                 : stopped +
                                       QStringLiteral("\rThe deleting stopped at tag %1. ")
                                           .arg(tagName(entries[tried])) +
                                       unknown;
    }
    const qsizetype deleted = sent.size() - still.size();
    QString text;
    if (!stopped.isEmpty()) {
        text = stopped + u'\r' + counted(deleted) +
               QStringLiteral("; the deleting stopped at tag %1.").arg(tagName(entries[tried]));
    } else if (still.isEmpty()) {
        return kAllDeleted;
    } else {
        text = counted(deleted) + u'.';
    }
    if (!still.isEmpty()) {
        QStringList numbers;
        for (const int tag : still)
            numbers << QString::number(tag);
        text += (still.size() == 1 ? QStringLiteral("\rTag %1 is still in the Nesmo-7.")
                                   : QStringLiteral("\rTags %1 are still in the Nesmo-7."))
                    .arg(numbers.join(QStringLiteral(", ")));
    }
    return text;
}

void DataMemory::Clearallloggeddata1Click()
{
    const LongOperation operation(link_.operations(),
                                  QStringLiteral("re-formatting the data memory"));
    if (!operation.taken()) {
        dialogs_.message(operation.refusal());
        return;
    }
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
    progress_.expectReformat();
    link_.SendCommand(QByteArray(cmd::kReformat));
    if (link_.lastOutcome() == Link::Outcome::NotSent) {
        // Nothing went out: no report will ever end the bar.
        progress_.endReformat();
        if (!link_.closing()) dialogs_.message(unanswered() + u'\r' + kNotErased);
        return;
    }
    // A refusal in the reply itself has ended the wait already.
    if (!progress_.reformatExpected()) return;
    // Written: the instrument's report may still come, even after a time-out.
    if (hooks_.showMainPage) hooks_.showMainPage();
    progress_.startReformat();
    reformatLimit_.start();
}

void DataMemory::abandonReformat(const QString& why)
{
    if (!progress_.reformatExpected()) return;
    reformatLimit_.stop();
    progress_.endReformat();
    if (link_.closing()) return;
    dialogs_.message(why +
                     QStringLiteral("\rWhether the data memory was erased is not known: list the "
                                    "tags (File > Get data from Nesmo-7) to see what it holds."));
}

}  // namespace nesmo
