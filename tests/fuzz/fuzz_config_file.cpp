// Configuration files: the reader never fails, and a file written from what it read reads back
// the same whenever the values can stand in a file unambiguously (one word each, addresses the
// parser accepts, no value that spells a key the reader looks ahead for). Whatever a file holds,
// the numbers that validate() lets through reach the device image unchanged.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "core/config/DeviceImage.h"
#include "core/config/Validate.h"
#include "core/files/ConfigFile.h"
#include "core/text/Decimal.h"
#include "core/text/UiText.h"

namespace {

bool oneWord(const kvt::Gbk& text) {
    if (text.empty()) return false;
    for (unsigned char c : text) {
        if (c == ' ' || (c >= '\t' && c <= '\r')) return false;
    }
    return true;
}

bool isKey(const kvt::Gbk& text, kvt::Lang lang) {
    static const std::uint32_t keys[] = {116,  99,   113, 114, 115, 4121, 4122, 4125,
                                         4126, 4127, 87,  91,  127, 90,   119,  194};
    for (auto id : keys) {
        if (text == kvt::uiText(id)) return true;
    }
    return text == kvt::stringResource(111, lang) || text == kvt::stringResource(162, lang) ||
           text == "DNS1" || text == "DNS2";
}

bool canStandInAFile(const kvt::ParsedConfigFile& parsed, kvt::Lang lang) {
    const auto& c = parsed.config;
    auto optionalWord = [&](const kvt::Gbk& text) {
        return text.empty() || (oneWord(text) && !isKey(text, lang));
    };
    for (const auto* address : {&c.ethernet.ipAddress, &c.ethernet.subnetMask, &c.ethernet.gateway,
                                &c.ethernet.dns1, &c.ethernet.dns2}) {
        if (!kvt::addressAccepted(*address)) return false;
    }
    if (!optionalWord(c.identity.firmwareVersion) || !oneWord(c.identity.fileVersion) ||
        isKey(c.identity.fileVersion, lang)) {
        return false;
    }
    if (!optionalWord(c.advance.userPassword) || c.advance.userPassword.size() > 20) return false;
    if (parsed.kind == kvt::kBackgroundConfig) {
        if (!optionalWord(c.ethernet.networkName) || c.ethernet.networkName.size() > 20 ||
            !optionalWord(c.advance.adminPassword) || c.advance.adminPassword.size() > 20) {
            return false;
        }
        for (const auto& size : c.parameter.assemblySizes) {
            if (!oneWord(size)) return false;
        }
    }
    if (c.report.enabled == 1 && !c.report.targetIp.empty() &&
        !kvt::addressAccepted(c.report.targetIp)) {
        return false;
    }
    return true;
}

// What a file can carry of a configuration of this kind.
kvt::CConfiguration fileView(kvt::CConfiguration c, kvt::ConfigKind kind) {
    kvt::CConfiguration defaults;
    if (kind == kvt::kUserConfig) {
        c.ethernet.networkName = defaults.ethernet.networkName;
        c.advance.adminPassword = defaults.advance.adminPassword;
        c.parameter = defaults.parameter;
    }
    c.parameter.reservedParameter = 0;
    if (c.report.enabled != 1) {
        c.report.targetIp = defaults.report.targetIp;
        c.report.port = defaults.report.port;
        c.report.period = defaults.report.period;
    }
    c.identity = kvt::CEquipment();
    return c;
}

// A configuration that validate() finds no error in carries its report and sizes through the
// image exactly: nothing is cut to 16 bits or read as 0.
void checkValidatedNumbers(const kvt::ParsedConfigFile& parsed) {
    const auto kind = static_cast<kvt::ConfigKind>(parsed.kind);
    const auto issues = kvt::validate(parsed.config, kind);
    for (const auto& issue : issues) {
        const bool backgroundOnly = issue.field == "network_name" ||
                                    issue.field == "admin_password" ||
                                    issue.field.starts_with("assembly_sizes");
        FUZZ_CHECK(kind == kvt::kBackgroundConfig || !backgroundOnly);
    }
    if (kvt::hasErrors(issues)) return;
    kvt::CConfiguration back;
    kvt::parseImage(kvt::buildImage(parsed.config, kind), kind, back);
    const auto& report = parsed.config.report;
    if (report.enabled == 1) {
        FUZZ_CHECK(back.report.port == report.port && back.report.period == report.period);
    }
    if (kind != kvt::kBackgroundConfig) return;
    const auto& sizes = parsed.config.parameter.assemblySizes;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        if (kvt::isConfigurationInstance(i)) continue;
        FUZZ_CHECK(kvt::digitsOnlyValue(sizes[i]) ==
                   kvt::digitsOnlyValue(back.parameter.assemblySizes[i]));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const kvt::Lang lang = (data[0] & 1) ? kvt::Lang::En : kvt::Lang::Zh;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    const auto first = kvt::readConfigFile(text, lang);
    FUZZ_CHECK(first.kind == kvt::kUserConfig || first.kind == kvt::kBackgroundConfig);
    const auto& config = first.config;
    const std::string written =
        kvt::writeConfigFile(config, first.kind, config.identity.firmwareVersion, lang);
    const auto second = kvt::readConfigFile(written, lang);
    FUZZ_CHECK(second.kind == first.kind);  // the first line always survives
    checkValidatedNumbers(first);

    if (canStandInAFile(first, lang)) {
        FUZZ_CHECK(fileView(second.config, first.kind) == fileView(config, first.kind));
        FUZZ_CHECK(second.config.identity.firmwareVersion == config.identity.firmwareVersion);
        FUZZ_CHECK(second.config.identity.fileVersion == config.identity.fileVersion);
        FUZZ_CHECK(kvt::writeConfigFile(second.config, second.kind,
                                        second.config.identity.firmwareVersion, lang) == written);
    }
    return 0;
}
