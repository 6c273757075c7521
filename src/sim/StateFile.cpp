#include "sim/StateFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string_view>

#include "core/files/ConfigFile.h"

namespace kvt::sim {
namespace {

using kvt::OrderedJson;

// Keys that only the earlier form has (gateway, dns1 and dns2 are spelt alike in both).
bool isEarlierForm(const OrderedJson& j) {
    for (const char* key :
         {"networkName", "ipMethod", "ipAddress", "subnetMask", "userPassword", "adminPassword",
          "report", "ipSettingMethod", "reservedParameter", "assemblySizes"}) {
        if (j.contains(key)) return true;
    }
    return false;
}

// Reads json[key] into `out` when present; records the first bad key.
class Reader {
public:
    explicit Reader(const OrderedJson& j) : m_json(j) {}
    void text(const char* key, kvt::Gbk& out) {
        if (!m_json.contains(key)) return;
        auto value = kvt::gbkTextFromJson(m_json[key]);
        if (!value) return fail(key);
        out = std::move(*value);
    }
    template <typename T>
    void number(const char* key, T& out) {
        if (!m_json.contains(key)) return;
        if (!m_json[key].is_number_integer()) return fail(key);
        out = m_json[key].get<T>();
    }
    void fail(const std::string& key) {
        if (m_bad.empty()) m_bad = key;
    }
    const std::string& bad() const { return m_bad; }

private:
    const OrderedJson& m_json;
    std::string m_bad;
};

}  // namespace

std::optional<kvt::CConfiguration> configurationFromEarlierJson(const OrderedJson& j,
                                                                const kvt::CConfiguration& base,
                                                                std::string* error) {
    if (!j.is_object()) {
        if (error) *error = "not a JSON object";
        return std::nullopt;
    }
    kvt::CConfiguration c = base;
    Reader r(j);
    r.text("networkName", c.ethernet.networkName);
    r.number("ipMethod", c.ethernet.ipMethod);
    r.text("ipAddress", c.ethernet.ipAddress);
    r.text("subnetMask", c.ethernet.subnetMask);
    r.text("gateway", c.ethernet.gateway);
    r.text("dns1", c.ethernet.dns1);
    r.text("dns2", c.ethernet.dns2);
    r.text("userPassword", c.advance.userPassword);
    r.text("adminPassword", c.advance.adminPassword);
    if (j.contains("report")) {
        if (!j["report"].is_object()) {
            r.fail("report");
        } else {
            Reader report(j["report"]);
            report.number("enabled", c.report.enabled);
            report.text("targetIp", c.report.targetIp);
            report.number("port", c.report.port);
            report.number("period", c.report.period);
            if (!report.bad().empty()) r.fail("report." + report.bad());
        }
    }
    r.number("ipSettingMethod", c.parameter.ipSettingMethod);
    r.number("reservedParameter", c.parameter.reservedParameter);
    if (j.contains("assemblySizes")) {
        const OrderedJson& sizes = j["assemblySizes"];
        if (!sizes.is_array() || sizes.size() != c.parameter.assemblySizes.size()) {
            r.fail("assemblySizes");
        } else {
            for (std::size_t i = 0; i < sizes.size(); ++i) {
                auto size = kvt::gbkTextFromJson(sizes[i]);
                if (!size) {
                    r.fail("assemblySizes");
                    break;
                }
                c.parameter.assemblySizes[i] = std::move(*size);
            }
        }
    }
    if (!r.bad().empty()) {
        if (error) *error = "bad value for \"" + r.bad() + "\"";
        return std::nullopt;
    }
    return c;
}

std::optional<kvt::CConfiguration> loadStateFile(const std::string& path,
                                                 const kvt::CConfiguration& base,
                                                 std::string* error) {
    if (error) error->clear();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = path + ": cannot open: " + std::strerror(errno);
        return std::nullopt;
    }
    const OrderedJson j = OrderedJson::parse(in, nullptr, false);
    if (j.is_discarded()) {
        if (error) *error = path + ": not valid JSON";
        return std::nullopt;
    }
    std::string why;
    std::optional<kvt::CConfiguration> config;
    if (isEarlierForm(j)) {
        config = configurationFromEarlierJson(j, base, &why);
    } else if (auto read = kvt::configurationFromJson(j, base, kvt::kBackgroundConfig, &why)) {
        config = std::move(read->config);
    }
    if (!config && error) *error = path + ": " + why;
    return config;
}

bool saveStateFile(const std::string& path, const kvt::CConfiguration& config, std::string* error) {
    const std::string text =
        kvt::configurationToJson(config, kvt::kBackgroundConfig).dump(2) + "\n";
    return kvt::writeFileAtomically(path, text, error, 0600);
}

}  // namespace kvt::sim
