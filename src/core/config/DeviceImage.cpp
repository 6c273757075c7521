#include "core/config/DeviceImage.h"

#include <array>

#include "core/config/Rules.h"
#include "core/config/WireFormat.h"
#include "core/platform/Address.h"
#include "core/text/Decimal.h"

namespace kvt {
namespace {

using namespace kvt::wire;

constexpr std::size_t kReportUser = 52;
constexpr std::size_t kReportBackground = 116;
constexpr std::size_t kAssemblyOffset = 124;
constexpr std::uint8_t kSettingViaPc = 0x01;
constexpr std::uint8_t kSettingViaUart = 0xFF;

struct AddressField {
    std::size_t offset;
    Gbk CEthernet::*member;
    const char* fallback;
};

// The five network addresses, with what a rejected address becomes on reading.
constexpr std::array<AddressField, 5> kAddresses = {{
    {12, &CEthernet::ipAddress, kDefaultAddresses.ipAddress},
    {16, &CEthernet::subnetMask, kDefaultAddresses.subnetMask},
    {20, &CEthernet::gateway, kDefaultAddresses.gateway},
    {24, &CEthernet::dns1, kDefaultAddresses.dns1},
    {28, &CEthernet::dns2, kDefaultAddresses.dns2},
}};

void parseNetwork(std::span<const std::uint8_t> image, CEthernet& ethernet) {
    const std::uint32_t method = readU32(image, 8);
    ethernet.ipMethod = method <= 2 ? static_cast<std::int32_t>(method) : 1;
    for (const auto& field : kAddresses) {
        Gbk text = dottedAddress(image, field.offset);
        ethernet.*field.member = addressAccepted(text) ? std::move(text) : Gbk(field.fallback);
    }
}

// A zero period means the device sends no reports; the other fields then keep their defaults.
void parseReport(std::span<const std::uint8_t> image, std::size_t offset, IPReport& report) {
    const std::uint16_t period = readU16(image, offset + 6);
    if (period == 0) {
        report.enabled = 0;
        return;
    }
    report.enabled = 1;
    Gbk target = dottedAddress(image, offset);
    report.targetIp = addressAccepted(target) ? std::move(target) : Gbk();
    report.port = readU16(image, offset + 4);
    report.period = period;
}

void buildNetwork(std::span<std::uint8_t> image, const CEthernet& ethernet) {
    image[11] = static_cast<std::uint8_t>(ethernet.ipMethod);
    for (const auto& field : kAddresses) {
        writeDottedAddress(image, field.offset, ethernet.*field.member);
    }
}

void buildReport(std::span<std::uint8_t> image, std::size_t offset, const IPReport& report) {
    if (report.enabled != 1) return;
    writeDottedAddress(image, offset, report.targetIp);
    writeU16(image, offset + 4, static_cast<std::uint32_t>(report.port));
    writeU16(image, offset + 6, static_cast<std::uint32_t>(report.period));
}

}  // namespace

bool addressAccepted(const Gbk& text) {
    // A text with an embedded NUL is not what the parser would see; refuse it.
    if (text.find('\0') != Gbk::npos) return false;
    return platform::parseInetAddr(text).has_value();
}

std::vector<std::uint8_t> buildImage(const CConfiguration& config, ConfigKind kind) {
    if (kind != kUserConfig && kind != kBackgroundConfig) return {};
    const bool user = kind == kUserConfig;
    std::vector<std::uint8_t> image(user ? kUserImageSize : kBackgroundImageSize, 0);
    image[3] = user ? 0x26 : 0x06;
    image[7] = user ? 0x34 : 0x9C;
    buildNetwork(image, config.ethernet);

    if (user) {
        writeTextField(image, 32, kTextFieldBytes, config.advance.userPassword);
        buildReport(image, kReportUser, config.report);
        return image;
    }

    writeTextField(image, 32, kTextFieldBytes, config.ethernet.networkName);
    writeTextField(image, 52, kTextFieldBytes, config.advance.userPassword);
    writeTextField(image, 72, kTextFieldBytes, config.advance.adminPassword);
    const std::int32_t setting = config.parameter.ipSettingMethod;
    image[95] = setting == 0 ? kSettingViaPc : setting == 1 ? kSettingViaUart : std::uint8_t{0};
    image[115] = static_cast<std::uint8_t>(config.parameter.reservedParameter);
    buildReport(image, kReportBackground, config.report);
    for (std::size_t i = 0; i < config.parameter.assemblySizes.size(); ++i) {
        writeU32(image, kAssemblyOffset + 4 * i,
                 readLeadingDecimal(config.parameter.assemblySizes[i]).wrapped);
    }
    return image;
}

bool parseImage(std::span<const std::uint8_t> image, ConfigKind kind, CConfiguration& config) {
    if (kind == kUserConfig) {
        parseNetwork(image, config.ethernet);
        config.advance.userPassword = textField(image, 32, kTextFieldBytes);
        parseReport(image, kReportUser, config.report);
        return true;
    }
    if (kind != kBackgroundConfig) return false;

    config.ethernet.networkName = textField(image, 32, kTextFieldBytes);
    parseNetwork(image, config.ethernet);
    config.advance.userPassword = textField(image, 52, kTextFieldBytes);
    config.advance.adminPassword = textField(image, 72, kTextFieldBytes);
    const std::uint8_t setting = byteAt(image, 95);
    if (setting == kSettingViaPc) config.parameter.ipSettingMethod = 0;
    if (setting == kSettingViaUart) config.parameter.ipSettingMethod = 1;
    config.parameter.reservedParameter = readU32(image, 112);
    parseReport(image, kReportBackground, config.report);
    for (std::size_t i = 0; i < config.parameter.assemblySizes.size(); ++i) {
        config.parameter.assemblySizes[i] =
            decimalText(static_cast<std::int32_t>(readU32(image, kAssemblyOffset + 4 * i)));
    }
    return true;
}

}  // namespace kvt
