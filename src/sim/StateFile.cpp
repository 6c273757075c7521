#include "sim/StateFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kvt::sim {
namespace {

using nlohmann::json;

json textToJson(const kvt::Gbk& text) {
    const std::string utf8 = kvt::gbkToUtf8(text);
    if (const auto back = kvt::utf8ToGbk(utf8); back && *back == text) return utf8;
    static const char* const kDigits = "0123456789abcdef";
    std::string hexText;
    for (const unsigned char c : text) {
        hexText.push_back(kDigits[c >> 4]);
        hexText.push_back(kDigits[c & 0xF]);
    }
    return json{{"gbkHex", hexText}};
}

bool textFromJson(const json& value, kvt::Gbk& out) {
    if (value.is_string()) {
        const auto gbkText = kvt::utf8ToGbk(value.get<std::string>());
        if (!gbkText) return false;
        out = *gbkText;
        return true;
    }
    if (!value.is_object() || !value.contains("gbkHex") || !value["gbkHex"].is_string()) {
        return false;
    }
    const std::string hexText = value["gbkHex"].get<std::string>();
    if (hexText.size() % 2 != 0) return false;
    std::string bytes;
    for (std::size_t i = 0; i < hexText.size(); i += 2) {
        unsigned v = 0;
        if (std::sscanf(hexText.substr(i, 2).c_str(), "%2x", &v) != 1) return false;
        bytes.push_back(static_cast<char>(v));
    }
    out = bytes;
    return true;
}

// Reads json[key] into `out` when present; records the first bad key.
class Reader {
public:
    explicit Reader(const json& j) : m_json(j) {}
    void text(const char* key, kvt::Gbk& out) {
        if (m_json.contains(key) && !textFromJson(m_json[key], out)) fail(key);
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
    const json& m_json;
    std::string m_bad;
};

}  // namespace

json configurationToJson(const kvt::CConfiguration& c) {
    json sizes = json::array();
    for (const auto& size : c.parameter.assemblySizes) sizes.push_back(textToJson(size));
    return json{
        {"networkName", textToJson(c.ethernet.networkName)},
        {"ipMethod", c.ethernet.ipMethod},
        {"ipAddress", textToJson(c.ethernet.ipAddress)},
        {"subnetMask", textToJson(c.ethernet.subnetMask)},
        {"gateway", textToJson(c.ethernet.gateway)},
        {"dns1", textToJson(c.ethernet.dns1)},
        {"dns2", textToJson(c.ethernet.dns2)},
        {"userPassword", textToJson(c.advance.userPassword)},
        {"adminPassword", textToJson(c.advance.adminPassword)},
        {"report",
         {{"enabled", c.report.enabled},
          {"targetIp", textToJson(c.report.targetIp)},
          {"port", c.report.port},
          {"period", c.report.period}}},
        {"ipSettingMethod", c.parameter.ipSettingMethod},
        {"reservedParameter", c.parameter.reservedParameter},
        {"assemblySizes", sizes},
    };
}

std::optional<kvt::CConfiguration> configurationFromJson(const json& j,
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
        const json& sizes = j["assemblySizes"];
        if (!sizes.is_array() || sizes.size() != c.parameter.assemblySizes.size()) {
            r.fail("assemblySizes");
        } else {
            for (std::size_t i = 0; i < sizes.size(); ++i) {
                if (!textFromJson(sizes[i], c.parameter.assemblySizes[i])) r.fail("assemblySizes");
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
    const json j = json::parse(in, nullptr, false);
    if (j.is_discarded()) {
        if (error) *error = path + ": not valid JSON";
        return std::nullopt;
    }
    std::string why;
    auto config = configurationFromJson(j, base, &why);
    if (!config && error) *error = path + ": " + why;
    return config;
}

bool saveStateFile(const std::string& path, const kvt::CConfiguration& config, std::string* error) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << configurationToJson(config).dump(2) << '\n';
        out.flush();
        if (!out) {
            if (error) *error = temporary + ": cannot write: " + std::strerror(errno);
            std::remove(temporary.c_str());
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        if (error) *error = path + ": " + ec.message();
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace kvt::sim
