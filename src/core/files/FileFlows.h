#pragma once
// Save and Open of configuration files, as the main window's buttons, the save-changes prompt
// and the save/download chooser run them. All user interaction goes through FlowUi.
#include <string>

#include "core/Session.h"
#include "core/device/FlowUi.h"

namespace kvt {

enum class SaveOutcome {
    Cancelled,    // the kind chooser or the file dialog was cancelled
    ReadFailed,   // the device read before saving failed (it has shown its message)
    Written,      // the file holds the configuration
    WriteFailed,  // kMsgSaveFailed was shown; an existing file is left whole
};

// Save. From the main window (session.saveFromPrompt clear) it asks for the kind first and
// reads the device selected for saving; in editor mode it writes session.config unchanged.
// Clears session.saveFromPrompt unless the device read failed.
SaveOutcome saveConfigurationFile(Session& session, FlowUi& ui);

// Open: parses the chosen file into a fresh session.config and sets the kind and the editor
// caption. Returns true when the editor should now be opened on it.
bool openConfigurationFile(Session& session, FlowUi& ui);

// The last component of a path, extension included: the editor caption of an opened file.
std::string fileNameOf(const std::string& path);

}  // namespace kvt
