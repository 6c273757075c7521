#pragma once
// Commands that work on files and texts alone: new, show, image build, image parse, text.
#include <CLI/CLI.hpp>

#include "CliContext.h"

namespace kvt::cli {

void addOfflineCommands(CLI::App& app, CliContext& context);

// The values of every --kind option: "user" or "background".
ConfigKind kindFromName(const std::string& name);

// Open as the desktop tool runs it, with `path` as the chosen file; throws CliFailure when it
// does not end in the editor.
void openFileAsOpenDoes(CliContext& context, const std::string& path);

// Save in editor mode (no kind question, no device read) of session.config to `path`.
void saveAsEditorDoes(CliContext& context, const std::string& path);

}  // namespace kvt::cli
