#pragma once
// The texts the device list shows for a record's typed facts, as GBK, worded as the search that
// listed the device words them. Only the list, the CSV export and the CLI's output use them; no
// flow decides anything by a text.
#include <cstdint>

#include "core/config/Configuration.h"
#include "core/text/Gbk.h"

namespace kvt {

// The UI text id each fact is worded with; 0 where the list shows the device's own text (its
// name, the model "KVT-275R"). Windows that show the texts in another language translate by id.
std::uint32_t nameTextId(const CEquipment& device);
std::uint32_t modelTextId(const CEquipment& device);
std::uint32_t passwordSetTextId(bool set);
std::uint32_t remoteConfigTextId(const CEquipment& device);

// The device's own name; another product's row reads "不支持设备".
Gbk nameText(const CEquipment& device);
// "KVT-275R"; another product is "其它设备" in a broadcast search, "不支持设备" by address.
Gbk modelText(const CEquipment& device);
// "有" / "无".
Gbk passwordSetText(bool set);
// "允许远程配置" / "禁止远程配置".
Gbk remoteConfigText(const CEquipment& device);

}  // namespace kvt
