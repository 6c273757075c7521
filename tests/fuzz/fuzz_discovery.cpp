// Discovery replies in both forms: whatever arrives, the record's texts keep their shapes.
#include <cstdint>
#include <span>

#include "FuzzCheck.h"
#include "core/config/DeviceImage.h"
#include "core/config/DeviceTexts.h"
#include "core/discovery/DiscoveryCodec.h"
#include "core/text/UiText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    auto checkRecord = [](const kvt::CEquipment& record) {
        const kvt::Gbk name = kvt::nameText(record);
        FUZZ_CHECK(name.size() <= 20 || name == kvt::uiText(8001));
        FUZZ_CHECK(record.isKvt275r() || record.name.empty());
        FUZZ_CHECK(record.productCode <= 0xFFFFFFu);
        FUZZ_CHECK(record.macAddress.size() == 17);
        FUZZ_CHECK(record.ipAddress.size() >= 7 && record.ipAddress.size() <= 15);
        const kvt::Gbk passwordSet = kvt::passwordSetText(record.userPasswordSet);
        FUZZ_CHECK(passwordSet == kvt::uiText(8002) || passwordSet == kvt::uiText(8003));
        FUZZ_CHECK(record.name.find('\0') == kvt::Gbk::npos);
    };
    if (auto record = kvt::parseBroadcastReply(bytes, 1)) {
        FUZZ_CHECK(size > 15);
        FUZZ_CHECK(record->rowNumber == " 1");
        checkRecord(*record);
    } else {
        FUZZ_CHECK(size <= 15 || data[0] != 0 || data[1] != 0 || data[2] != 0 || data[3] != 3);
    }
    if (auto record = kvt::parseAddressedReply(bytes)) {
        FUZZ_CHECK(record->rowNumber == "1");
        checkRecord(*record);
    }
    return 0;
}
