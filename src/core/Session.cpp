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

void Session::newFill(int kind) {
    config = std::make_unique<CConfiguration>(newConfiguration(kind));
    configKind = kind == kBackgroundConfig ? kBackgroundConfig : kUserConfig;
    editorCaption = uiText(4189);
}

const CEquipment* Session::selectedDevice() const {
    if (selectedIndex < 0 || selectedIndex >= static_cast<int>(devices.size())) return nullptr;
    return &devices[static_cast<std::size_t>(selectedIndex)];
}

Session::Selection Session::selectRow(int row) {
    if (row < 0 || row >= static_cast<int>(devices.size())) return Selection::None;
    const CEquipment& device = devices[static_cast<std::size_t>(row)];
    if (device.model == uiText(8000)) return Selection::OtherProduct;
    selectedIndex = selectedIndexForSave = selectedIndexForLoad = row;
    userPasswordNeeded = device.userPasswordSet == uiText(4010);
    adminPasswordNeeded = device.adminPasswordSet == uiText(4010);
    currentDeviceAddress = device.ipAddress;
    return Selection::Supported;
}

void Session::clearSelection() {
    selectedIndex = selectedIndexForSave = selectedIndexForLoad = -1;
}

}  // namespace kvt
