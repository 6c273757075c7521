#pragma once
// Configuration files (*.inf): GBK text, CR LF line ends, tab-separated keys and values.
#include <cstddef>
#include <string>
#include <string_view>

#include "core/config/Configuration.h"
#include "core/config/Validate.h"
#include "core/text/UiText.h"

namespace kvt {

// The exact bytes of a configuration file of `kind`. `firmware` is the firmware version line's
// value (the selected device's, or the configuration's own). `lang` picks the password keys.
std::string writeConfigFile(const CConfiguration& config, ConfigKind kind, const Gbk& firmware,
                            Lang lang);

struct ParsedConfigFile {
    CConfiguration config;  // starts freshly constructed; the reader fills what it finds
    ConfigKind kind = kUserConfig;
    // Values of the file that the reader did not take as they stand (a name or password over
    // 20 bytes, a report address it rejects, a report port or period that is no number in
    // range), with the text the file held (passwords left out). Only for fields the kind
    // carries to a device.
    std::vector<FieldIssue> notTaken;
};

// The lenient word-by-word reader: never fails, falls back to defaults where keys are missing.
ParsedConfigFile readConfigFile(std::string_view bytes, Lang lang);

// Everything wrong with the file as a download: what the reader did not take as it stood,
// then what validate() finds in what it read (a field already noted is not named twice).
std::vector<FieldIssue> fileIssues(const ParsedConfigFile& parsed);

// Reading a whole file for the reader. A file that cannot be opened (missing, no permission,
// a folder) differs from one that opens but then fails to read (an I/O error, or more than
// kMaxConfigFileBytes, which no configuration file comes near).
enum class FileReadStatus { Ok, CannotOpen, ReadError };
inline constexpr std::size_t kMaxConfigFileBytes = 16u << 20;
FileReadStatus readWholeFile(const std::string& path, std::string& bytes);

// Writes `bytes` to `path` atomically (temporary file in the same folder, then rename), so a
// failed save leaves the old file whole. A new file is the owner's alone when `newFileMode`
// gives the group and others nothing (0600, for files that hold passwords), else as a plain
// save makes it; a replaced file keeps its own permissions. Returns false with the file name
// and the system's message in `error`.
bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* error,
                         unsigned newFileMode = 0666);

}  // namespace kvt
