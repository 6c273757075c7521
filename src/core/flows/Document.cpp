#include "core/flows/Document.h"

#include "core/text/UiText.h"

namespace kvt {

Selection selectionOf(const CEquipment& device) {
    if (!device.selectable()) return Selection::OtherProduct;
    if (!device.hasAddress()) return Selection::NoAddress;
    return Selection::Supported;
}

CConfiguration& ConfigDocument::replaceConfiguration() {
    config = std::make_unique<CConfiguration>();
    return *config;
}

CConfiguration& ConfigDocument::ensureConfiguration() {
    if (!config) config = std::make_unique<CConfiguration>();
    return *config;
}

void ConfigDocument::newFill(ConfigKind kind) {
    config = std::make_unique<CConfiguration>(newConfiguration(kind));
    configKind = kind;
    configOrigin = ConfigOrigin::New;
    readPassword.clear();
    editorCaption = uiText(4189);
}

void ConfigDocument::takeRead(CConfiguration read, ConfigKind kind, Gbk password) {
    config = std::make_unique<CConfiguration>(std::move(read));
    configKind = kind;
    configOrigin = ConfigOrigin::ReadFromDevice;
    readPassword = std::move(password);
    editorCaption = uiText(kind == kBackgroundConfig ? 4180 : 4179);
}

}  // namespace kvt
