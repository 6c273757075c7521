// Device images: a parsed image rebuilds to the same fields. The builder writes only the low
// byte of the reserved parameter, and a report target the address parser rejects is held as
// an empty text and rebuilt as 0.0.0.0; those two are compared as the device would see them.
#include <cstdint>
#include <span>

#include "FuzzCheck.h"
#include "core/config/DeviceImage.h"

namespace {

kvt::CConfiguration normalised(kvt::CConfiguration config) {
    config.parameter.reservedParameter &= 0xFF;
    if (config.report.enabled == 1 && config.report.targetIp.empty()) {
        config.report.targetIp = "0.0.0.0";
    }
    return config;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const kvt::ConfigKind kind = (data[0] & 1) ? kvt::kBackgroundConfig : kvt::kUserConfig;
    const std::span<const std::uint8_t> image(data + 1, size - 1);

    kvt::CConfiguration first;
    FUZZ_CHECK(kvt::parseImage(image, kind, first));
    const auto rebuilt = kvt::buildImage(first, kind);
    FUZZ_CHECK(rebuilt.size() ==
               (kind == kvt::kUserConfig ? kvt::kUserImageSize : kvt::kBackgroundImageSize));

    kvt::CConfiguration second;
    FUZZ_CHECK(kvt::parseImage(rebuilt, kind, second));
    FUZZ_CHECK(normalised(first) == normalised(second));
    FUZZ_CHECK(kvt::buildImage(second, kind) == kvt::buildImage(normalised(first), kind));
    return 0;
}
