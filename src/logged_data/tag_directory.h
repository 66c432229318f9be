#pragma once

#include <QObject>
#include <functional>

#include "core/app_state.h"
#include "core/dialogs.h"
#include "link/link.h"

namespace nesmo {

class DataTextPage;

// What the tag directory needs of the main window.
struct TagDirectoryHooks {
    std::function<bool()> graphPageActive;
    std::function<void()> showTextPage;
    std::function<void()> openPanel;      // the instrument control panel
    std::function<void()> serialConnect;  // the serial connect command
};

// The instrument's list of tags in the selection panel over the Data text page,
// and the download of one tag.
class TagDirectory final : public QObject {
    Q_OBJECT

public:
    TagDirectory(AppState& state, Link& link, Dialogs& dialogs, DataTextPage& page,
                 TagDirectoryHooks hooks, QObject* parent = nullptr);

    void FileNewExecute();
    void FileLoadFromInstExecute();
    // Enter loads the selected tag, Esc closes the panel; 0 is a double click.
    void TagListBoxKeyDown(int key);
    void TagListBoxDblClick() { FileLoadFromInstExecute(); }
    void CancelDataClick();

private:
    // Asks the run mode and, in standby, the tag list; true when it runs.
    bool listTags();

    AppState& state_;
    Link& link_;
    Dialogs& dialogs_;
    DataTextPage& page_;
    TagDirectoryHooks hooks_;
};

}  // namespace nesmo
