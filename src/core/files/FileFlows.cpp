#include "core/files/FileFlows.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "core/device/Exchanges.h"
#include "core/files/ConfigFile.h"
#include "core/text/ExtraText.h"
#include "core/text/UiText.h"

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

SaveOutcome saveConfigurationFile(Session& session, FlowUi& ui) {
    if (!session.saveFromPrompt) {
        const std::optional<int> kind = ui.chooseKind();
        if (!kind) return SaveOutcome::Cancelled;
        session.newFill(*kind);
    }
    if (session.selectedIndexForSave >= 0 && !readConfiguration(session, session.configKind, ui)) {
        return SaveOutcome::ReadFailed;
    }

    SaveOutcome outcome = SaveOutcome::Cancelled;
    const std::string path = ui.chooseSavePath();
    if (!path.empty()) {
        const CConfiguration& config = session.ensureConfiguration();
        // The firmware line names the selected device's firmware, even for an opened file.
        const CEquipment* device = session.selectedIndex >= 0 ? session.selectedDevice() : nullptr;
        const Gbk& firmware = device ? device->firmwareVersion : config.identity.firmwareVersion;
        const std::string bytes =
            writeConfigFile(config, session.configKind, firmware, session.lang);
        if (writeFileAtomically(path, bytes, nullptr)) {
            outcome = SaveOutcome::Written;
        } else {
            // Saying so beats leaving the user to believe the configuration is kept.
            ui.message(kMsgSaveFailed);
            outcome = SaveOutcome::WriteFailed;
        }
    }
    session.saveFromPrompt = false;
    return outcome;
}

std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool openConfigurationFile(Session& session, FlowUi& ui) {
    if (const CEquipment* device = session.selectedDevice();
        device && device->remoteConfig == uiText(4114)) {
        ui.message(4115);
        return false;
    }
    const std::string path = ui.chooseOpenPath();
    if (path.empty()) return false;

    session.replaceConfiguration();
    std::string bytes;
    switch (readWholeFile(path, bytes)) {
        case FileReadStatus::Ok:
            break;
        case FileReadStatus::CannotOpen:
            ui.message(4116);
            return false;
        // An I/O error halfway must not pass for a short file.
        case FileReadStatus::ReadError:
            ui.message(kMsgOpenFailed);
            return false;
    }

    session.editorCaption = captionOf(fileNameOf(path));

    ParsedConfigFile parsed = readConfigFile(bytes, session.lang);
    *session.config = std::move(parsed.config);
    session.configKind = parsed.kind;
    return true;
}

}  // namespace kvt
