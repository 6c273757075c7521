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

Gbk nameText(const CEquipment& device) {
    return device.isKvt275r() ? device.name : uiText(8001);
}

Gbk modelText(const CEquipment& device) {
    return device.isKvt275r() ? Gbk(kModelKvt275r) : uiText(textsOf(device).otherModel);
}

Gbk passwordSetText(bool set) {
    return uiText(set ? 8002 : 8003);
}

Gbk remoteConfigText(const CEquipment& device) {
    const ListTexts texts = textsOf(device);
    return uiText(device.remoteForbidden() ? texts.forbidden : texts.allowed);
}

}  // namespace kvt
