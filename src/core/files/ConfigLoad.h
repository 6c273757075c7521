#pragma once
// A configuration file of either form a script may hand over: the `.inf` form, or the JSON form
// of `show --json` (an object; keys left out keep the values of a new configuration).
#include <string>
#include <string_view>
#include <vector>

#include "core/config/Configuration.h"
#include "core/config/Validate.h"
#include "core/files/ConfigFile.h"
#include "core/text/UiText.h"

namespace kvt {

struct LoadedConfiguration {
    FileReadStatus read = FileReadStatus::Ok;  // not Ok: nothing below was filled
    std::string jsonError;                     // JSON that could not be taken: what is wrong
    CConfiguration config;
    ConfigKind kind = kUserConfig;
    std::vector<FieldIssue> issues;  // what the reader did not take, and validate()'s findings

    bool loaded() const { return read == FileReadStatus::Ok && jsonError.empty(); }
};

// The form is told by the first character that is not white space: '{' is JSON.
LoadedConfiguration parseConfiguration(std::string_view bytes, Lang lang);
LoadedConfiguration loadConfiguration(const std::string& path, Lang lang);

}  // namespace kvt
