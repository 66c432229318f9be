#include "logged_data/tag_directory.h"

#include "link/commands.h"
#include "logged_data/data_text_page.h"
#include "widgets/busy_scope.h"

namespace nesmo {

TagDirectory::TagDirectory(AppState& state, Link& link, Dialogs& dialogs, DataTextPage& page,
                           TagDirectoryHooks hooks, QObject* parent)
    : QObject(parent),
      state_(state),
      link_(link),
      dialogs_(dialogs),
      page_(page),
      hooks_(std::move(hooks))
{
}

void TagDirectory::FileNewExecute()
{
    bool running = false;
    {
        // One conversation with the instrument at a time: a listing in the middle
        // of a delete would rebuild the list the delete works through.
        const LongOperation operation(link_.operations(), QStringLiteral("listing the tags"));
        if (!operation.taken()) {
            dialogs_.message(operation.refusal());
            return;
        }
        running = listTags();
    }
    // A running instrument is shown on its panel instead, once the listing has
    // let go of the instrument.
    if (running && hooks_.openPanel) hooks_.openPanel();
    page_.CheckBoxAllData()->setChecked(false);
}

bool TagDirectory::listTags()
{
    if (link_.port().portNumber() == 0 && !state_.NetworkMode && hooks_.serialConnect)
        hooks_.serialConnect();
    const BusyScope busy;
    state_.ReturnToGraph = hooks_.graphPageActive && hooks_.graphPageActive();
    hooks_.showTextPage();
    link_.SendCommand(QByteArray(cmd::kRunMode));
    if (state_.InstrumentRunning) return true;
    if (!state_.FirmwareUpgradeActive && link_.SendCommand(QByteArray(cmd::kTags))) {
        if (page_.TagListBox()->count() == 0) {
            dialogs_.message(QStringLiteral("There are no tag files to download"));
        } else {
            link_.SendCommand(QByteArray(cmd::kTagCounts));
            hooks_.showTextPage();
            page_.showTagSelectPanel();
            page_.TagListBox()->setFocus();
        }
    }
    return false;
}

void TagDirectory::FileLoadFromInstExecute()
{
    const LongOperation operation(link_.operations(), QStringLiteral("downloading a tag"));
    if (!operation.taken()) {
        dialogs_.message(operation.refusal());
        return;
    }
    QListWidget* list = page_.TagListBox();
    QListWidgetItem* selected = list->currentItem();
    if (!selected || !selected->isSelected()) {
        dialogs_.message(QStringLiteral("Select a tag or press 'Esc'"));
        list->setFocus();
    } else {
        BusyScope busy;
        page_.TagSelectPanel()->hide();
        page_.RichEdit1()->clear();
        // The tag number is the entry's first two characters, as the list shows it.
        const QByteArray number = selected->text().toLatin1().left(2);
        link_.SendCommand(QString::asprintf(cmd::kTagDumpFmt, number.constData()).toLatin1());
        page_.setTerminalShown(false);
    }
    page_.CheckBoxAllData()->setChecked(false);
}

void TagDirectory::TagListBoxKeyDown(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == 0)
        FileLoadFromInstExecute();
    else if (key == Qt::Key_Escape)
        page_.TagSelectPanel()->hide();
}

void TagDirectory::CancelDataClick()
{
    page_.TagSelectPanel()->hide();
}

}  // namespace nesmo
