#pragma once
// Save and Open of configuration files, as the main window's buttons, the save-changes prompt
// and the save/download chooser run them. All user interaction goes through FlowUi.
#include <string>

#include "core/Session.h"
#include "core/flows/FlowUi.h"
#include "core/flows/Outcome.h"

namespace kvt {

enum class SaveFrom {
    // The main window's Save: asks for the kind, fills a New configuration of it and, with a
    // device selected, reads that device's configuration into it before writing.
    MainWindow,
    // The save-changes prompt and the save/download chooser: the configuration being edited,
    // unchanged.
    Editor,
};

// Save. Outcomes: Done, Cancelled (kind chooser or file dialog), SaveFailed (an existing file
// is left whole), or the device read's outcome when that read fails (it has shown its message).
Outcome saveConfigurationFile(Session& session, FlowUi& ui, SaveFrom from);

// Open: parses the chosen file into a fresh current configuration of origin Opened, captioned
// with the file's name. Done means the editor should now be opened on it. Other outcomes:
// OpenForbidden, Cancelled, FileMissing, OpenFailed (the last two leave a fresh configuration).
Outcome openConfigurationFile(Session& session, FlowUi& ui);

// The last component of a path, extension included: the editor caption of an opened file.
std::string fileNameOf(const std::string& path);

}  // namespace kvt
