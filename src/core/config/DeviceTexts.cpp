#include "core/config/DeviceTexts.h"

#include "core/text/UiText.h"

namespace kvt {
namespace {

// Each search takes its texts from its own ids of the UI text table; where two ids hold the
// same string, the one the search used is kept.
struct ListTexts {
    std::uint32_t otherModel;
    std::uint32_t allowed;
    std::uint32_t forbidden;
};

ListTexts textsOf(const CEquipment& device) {
    if (device.foundBy == FoundBy::AddressSearch) return {4024, 4012, 4013};
    return {8000, 8004, 8005};
}

}  // namespace

std::uint32_t nameTextId(const CEquipment& device) {
    return device.isKvt275r() ? 0 : 8001;
}

std::uint32_t modelTextId(const CEquipment& device) {
    return device.isKvt275r() ? 0 : textsOf(device).otherModel;
}

std::uint32_t passwordSetTextId(bool set) {
    return set ? 8002 : 8003;
}

std::uint32_t remoteConfigTextId(const CEquipment& device) {
    const ListTexts texts = textsOf(device);
    return device.remoteForbidden() ? texts.forbidden : texts.allowed;
}

Gbk nameText(const CEquipment& device) {
    return device.isKvt275r() ? device.name : uiText(nameTextId(device));
}

Gbk modelText(const CEquipment& device) {
    return device.isKvt275r() ? Gbk(kModelKvt275r) : uiText(modelTextId(device));
}

Gbk passwordSetText(bool set) {
    return uiText(passwordSetTextId(set));
}

Gbk remoteConfigText(const CEquipment& device) {
    return uiText(remoteConfigTextId(device));
}

}  // namespace kvt
