#include "core/flows/FileFlows.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "core/files/ConfigFile.h"
#include "core/flows/DeviceFlows.h"

namespace kvt {
namespace {

// Paths are UTF-8 here, the caption is GBK like every other text of the model; a character
// that GBK cannot hold shows as '?'.
Gbk captionOf(std::string_view name) {
    Gbk caption;
    while (!name.empty()) {
        GbkError error;
        if (std::optional<Gbk> whole = utf8ToGbk(name, &error)) {
            caption += *whole;
            break;
        }
        caption += utf8ToGbk(name.substr(0, error.offset)).value_or(Gbk());
        caption += '?';
        name.remove_prefix(error.offset + std::max<std::size_t>(1, error.character.size()));
    }
    return caption;
}

}  // namespace

Outcome saveConfigurationFile(const FlowTarget& target, ConfigDocument& document, Lang lang,
                              FlowUi& ui, SavePrompt& prompt, SaveFrom from) {
    if (from == SaveFrom::MainWindow) {
        const std::optional<ConfigKind> kind = prompt.chooseKind();
        if (!kind) return Outcome::Cancelled;
        document.newFill(*kind);
        if (target.device) {
            const Outcome read = readConfiguration(target, *kind, document, ui, prompt);
            if (read != Outcome::Done) return read;
        }
    }

    const std::string path = prompt.chooseSavePath();
    if (path.empty()) return Outcome::Cancelled;
    const CConfiguration& config = document.ensureConfiguration();
    // The firmware line names the target device's firmware, even for an opened file.
    const Gbk& firmware =
        target.device ? target.device->firmwareVersion : config.identity.firmwareVersion;
    const std::string bytes = writeConfigFile(config, document.configKind, firmware, lang);
    // Saying so beats leaving the user to believe the configuration is kept.
    // Readable by the owner only: the file holds the passwords.
    if (!writeFileAtomically(path, bytes, nullptr, 0600)) {
        ui.report(Outcome::SaveFailed);
        return Outcome::SaveFailed;
    }
    return Outcome::Done;
}

std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

Outcome openConfigurationFile(const FlowTarget& target, ConfigDocument& document, Lang lang,
                              FlowUi& ui, OpenPrompt& prompt) {
    const auto ended = [&ui](Outcome outcome) {
        ui.report(outcome);
        return outcome;
    };
    if (target.device && target.device->remoteForbidden()) return ended(Outcome::OpenForbidden);
    const std::string path = prompt.chooseOpenPath();
    if (path.empty()) return Outcome::Cancelled;

    document.replaceConfiguration();
    std::string bytes;
    switch (readWholeFile(path, bytes)) {
        case FileReadStatus::Ok:
            break;
        case FileReadStatus::CannotOpen:
            return ended(Outcome::FileMissing);
        // An I/O error halfway must not pass for a short file.
        case FileReadStatus::ReadError:
            return ended(Outcome::OpenFailed);
    }

    ParsedConfigFile parsed = readConfigFile(bytes, lang);
    *document.config = std::move(parsed.config);
    document.configKind = parsed.kind;
    document.configOrigin = ConfigOrigin::Opened;
    document.readPassword.clear();
    document.editorCaption = captionOf(fileNameOf(path));
    return Outcome::Done;
}

}  // namespace kvt
