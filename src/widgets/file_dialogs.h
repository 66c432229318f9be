#pragma once

#include "core/dialogs.h"

namespace nesmo {

// The open dialog that the Data text page and the Site List page share: "Open
// File" over text files.
FileDialogSetup textFileOpenSetup();

// The save dialog of text files (Save As, site list): the proposed name, in the
// folder of `folderOf` (a name without a folder opens in the working folder).
FileDialogSetup textFileSaveSetup(const QString& proposedName, const QString& folderOf);

}  // namespace nesmo
