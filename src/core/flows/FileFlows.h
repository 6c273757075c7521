#pragma once
// Save and Open of configuration files, as the main window's buttons, the save-changes prompt
// and the save/download chooser run them. Their questions are SavePrompt's and OpenPrompt's.
#include <string>

#include "core/flows/Document.h"
#include "core/flows/FlowUi.h"
#include "core/flows/Outcome.h"
#include "core/text/UiText.h"

namespace kvt {

enum class SaveFrom {
    // The main window's Save: asks for the kind, fills a New configuration of it and, with a
    // target device, reads that device's configuration into it before writing.
    MainWindow,
    // The save-changes prompt and the save/download chooser: the configuration being edited,
    // unchanged.
    Editor,
};

// Save of the document in the file language `lang`. Outcomes: Done, Cancelled (kind chooser or
// file dialog), SaveFailed (an existing file is left whole), or the device read's outcome when
// that read fails (it has shown its message).
Outcome saveConfigurationFile(const FlowTarget& target, ConfigDocument& document, Lang lang,
                              FlowUi& ui, SavePrompt& prompt, SaveFrom from);

// Open: parses the chosen file into a fresh configuration of the document, of origin Opened,
// captioned with the file's name. Done means the editor should now be opened on it. Other
// outcomes: OpenForbidden (the target's device forbids remote configuration), Cancelled,
// FileMissing, OpenFailed (the last two leave a fresh configuration).
Outcome openConfigurationFile(const FlowTarget& target, ConfigDocument& document, Lang lang,
                              FlowUi& ui, OpenPrompt& prompt);

// The last component of a path, extension included: the editor caption of an opened file.
std::string fileNameOf(const std::string& path);

}  // namespace kvt
