#include "gui/base/Session.h"

namespace kvt {

const CEquipment* Session::selectedDevice() const {
    if (selectedIndex < 0 || selectedIndex >= static_cast<int>(devices.size())) return nullptr;
    const CEquipment& device = devices[static_cast<std::size_t>(selectedIndex)];
    // Whatever selected it, no flow connects to 0.0.0.0.
    return device.hasAddress() ? &device : nullptr;
}

FlowTarget Session::target() const {
    FlowTarget target{network, std::nullopt};
    if (const CEquipment* device = selectedDevice()) target.device = *device;
    return target;
}

Session::Selection Session::selectRow(int row) {
    if (row < 0 || row >= static_cast<int>(devices.size())) return Selection::None;
    const Selection fit = selectionOf(devices[static_cast<std::size_t>(row)]);
    if (fit == Selection::Supported) selectedIndex = row;
    return fit;
}

}  // namespace kvt
