#include "core/Session.h"

namespace kvt {

CConfiguration& Session::replaceConfiguration() {
    config = std::make_unique<CConfiguration>();
    return *config;
}

CConfiguration& Session::ensureConfiguration() {
    if (!config) config = std::make_unique<CConfiguration>();
    return *config;
}

void Session::newFill(ConfigKind kind) {
    config = std::make_unique<CConfiguration>(newConfiguration(kind));
    configKind = kind;
    configOrigin = ConfigOrigin::New;
    readPassword.clear();
    editorCaption = uiText(4189);
}

const CEquipment* Session::selectedDevice() const {
    if (selectedIndex < 0 || selectedIndex >= static_cast<int>(devices.size())) return nullptr;
    const CEquipment& device = devices[static_cast<std::size_t>(selectedIndex)];
    // Whatever selected it, no flow connects to 0.0.0.0.
    return device.hasAddress() ? &device : nullptr;
}

Session::Selection Session::selectRow(int row) {
    if (row < 0 || row >= static_cast<int>(devices.size())) return Selection::None;
    const CEquipment& device = devices[static_cast<std::size_t>(row)];
    if (!device.selectable()) return Selection::OtherProduct;
    if (!device.hasAddress()) return Selection::NoAddress;
    selectedIndex = row;
    return Selection::Supported;
}

}  // namespace kvt
