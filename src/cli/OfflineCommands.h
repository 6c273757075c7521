#pragma once
// Commands that work on files and texts alone: new, show, image build, image parse, text.
#include <CLI/CLI.hpp>

#include "CliContext.h"

namespace kvt::cli {

void addOfflineCommands(CLI::App& app, CliContext& context);

// The values of every --kind option: "user" or "background".
ConfigKind kindFromName(const std::string& name);

// Open as the desktop tool runs it, with `path` as the chosen file, into the context's document
// (with `target`'s device, if any, as the selected one); throws CliFailure when it does not end
// in the editor.
void openFileAsOpenDoes(CliContext& context, const std::string& path,
                        const FlowTarget& target = {});

// Save in editor mode (no kind question, no device read) of the context's document to `path`.
void saveAsEditorDoes(CliContext& context, const std::string& path);

}  // namespace kvt::cli
