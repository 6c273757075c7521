#include "sim/DeviceSetupParser.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "core/config/Rules.h"
#include "core/platform/Address.h"

namespace kvt::sim {
namespace {

constexpr int kDefaultPauseMs = 200;

template <typename T>
bool number(std::string_view text, T& out) {
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

bool setError(std::string* error, std::string message) {
    if (error) *error = std::move(message);
    return false;
}

bool gbkField(std::string_view key, std::string_view value, kvt::Gbk& out, std::string* error) {
    auto converted = kvt::utf8ToGbk(value);
    if (!converted) return setError(error, std::string(key) + ": not representable in GBK");
    if (converted->size() > kvt::kTextFieldBytes) {
        return setError(
            error, std::string(key) + ": over " + std::to_string(kvt::kTextFieldBytes) + " bytes");
    }
    out = std::move(*converted);
    return true;
}

std::optional<std::uint32_t> hostOrder(const std::string& dotted) {
    const auto address = kvt::platform::parseDottedQuad(dotted);
    if (!address) return std::nullopt;
    return kvt::platform::hostOrder(*address);
}

}  // namespace

std::optional<Fault> parseFault(std::string_view text) {
    std::string_view name = text;
    std::optional<int> pause;
    if (const auto colon = text.find(':'); colon != std::string_view::npos) {
        name = text.substr(0, colon);
        int ms = 0;
        if (!number(text.substr(colon + 1), ms) || ms < 0) return std::nullopt;
        pause = ms;
    }
    struct Entry {
        std::string_view name;
        Fault::Kind kind;
        bool takesPause;
    };
    static constexpr Entry kEntries[] = {
        {"none", Fault::Kind::None, false},
        {"no-answer", Fault::Kind::NoAnswer, false},
        {"refuse", Fault::Kind::Refuse, false},
        {"split", Fault::Kind::Split, true},
        {"short", Fault::Kind::Short, false},
        {"wrong-code", Fault::Kind::WrongCode, false},
        {"close", Fault::Kind::CloseWithoutReply, false},
        {"slow", Fault::Kind::Slow, true},
        {"ignore-write", Fault::Kind::IgnoreWrite, false},
        {"no-enip", Fault::Kind::NoEnip, false},
    };
    for (const Entry& e : kEntries) {
        if (e.name != name) continue;
        if (pause && !e.takesPause) return std::nullopt;
        return Fault{e.kind, e.takesPause ? pause.value_or(kDefaultPauseMs) : 0};
    }
    return std::nullopt;
}

DeviceSetup defaultDevice(std::size_t index, const std::string& address) {
    DeviceSetup setup;
    setup.address = address;
    setup.name = "GW-" + std::to_string(index + 1);
    const std::size_t n = index + 1;
    setup.mac = {
        0x02, 0x00, 0x00, 0x00, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
    return setup;
}

bool applyDeviceField(DeviceSetup& setup, std::string_view key, std::string_view value,
                      std::string* error) {
    const std::string v(value);
    if (key == "name") return gbkField(key, value, setup.name, error);
    if (key == "user-password") return gbkField(key, value, setup.userPassword, error);
    if (key == "admin-password") return gbkField(key, value, setup.adminPassword, error);
    if (key == "state") {
        setup.stateFile = v;
        return true;
    }
    if (key == "ip") {
        const auto host = hostOrder(v);
        if (!host) return setError(error, "ip: not an IPv4 address: " + v);
        if ((*host >> 24) != 127) return setError(error, "ip: must be a loopback address: " + v);
        setup.address = v;
        return true;
    }
    if (key == "mac") {
        unsigned b[6];
        char tail = 0;
        if (std::sscanf(v.c_str(), "%2x%*1[:-]%2x%*1[:-]%2x%*1[:-]%2x%*1[:-]%2x%*1[:-]%2x%c", &b[0],
                        &b[1], &b[2], &b[3], &b[4], &b[5], &tail) != 6 ||
            v.size() != 17) {
            return setError(error, "mac: expected six hex bytes like 02:00:00:00:00:01: " + v);
        }
        for (int i = 0; i < 6; ++i) setup.mac[i] = static_cast<std::uint8_t>(b[i]);
        return true;
    }
    if (key == "remote") {
        if (value == "allow") {
            setup.remoteAllowed = true;
        } else if (value == "forbid") {
            setup.remoteAllowed = false;
        } else {
            return setError(error, "remote: expected allow or forbid: " + v);
        }
        return true;
    }
    if (key == "product") {
        std::uint32_t code = 0;
        if (!number(value, code) || code > 0xFFFFFF) {
            return setError(error, "product: expected a number 0..16777215: " + v);
        }
        setup.productCode = code;
        return true;
    }
    if (key == "fw") {
        const auto dot = value.find('.');
        std::uint16_t major = 0;
        std::uint16_t minor = 0;
        if (dot == std::string_view::npos || !number(value.substr(0, dot), major) ||
            !number(value.substr(dot + 1), minor)) {
            return setError(error, "fw: expected MAJOR.MINOR, e.g. 1.10: " + v);
        }
        setup.firmwareMajor = major;
        setup.firmwareMinor = minor;
        return true;
    }
    if (key == "enip-sizes") {
        // Nine sizes separated by ';' or '/' (',' separates the keys).
        std::array<std::uint16_t, 9> sizes{};
        std::size_t n = 0;
        std::string_view rest = value;
        for (; n < sizes.size() && !rest.empty(); ++n) {
            const auto cut = rest.find_first_of(";/");
            if (!number(rest.substr(0, cut), sizes[n])) break;
            rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
        }
        if (n != sizes.size() || !rest.empty())
            return setError(error,
                            "enip-sizes: expected nine sizes in bytes separated by ; or /, "
                            "in the order 102;101;103;112;111;113;122;121;123: " +
                                v);
        setup.enipSizes = sizes;
        return true;
    }
    if (key == "fault") {
        const auto fault = parseFault(value);
        if (!fault) return setError(error, "fault: unknown fault: " + v);
        setup.fault = *fault;
        return true;
    }
    return setError(error, "unknown device key: " + std::string(key));
}

std::optional<DeviceSetup> parseDeviceSetup(std::string_view text, std::size_t index,
                                            std::string* error) {
    DeviceSetup setup = defaultDevice(index, "");
    bool haveAddress = false;
    while (!text.empty()) {
        const auto comma = text.find(',');
        std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        if (item.empty()) continue;
        const auto eq = item.find('=');
        if (eq == std::string_view::npos) {
            setError(error, "expected key=value: " + std::string(item));
            return std::nullopt;
        }
        const std::string_view key = item.substr(0, eq);
        if (!applyDeviceField(setup, key, item.substr(eq + 1), error)) return std::nullopt;
        haveAddress = haveAddress || key == "ip";
    }
    if (!haveAddress) {
        setError(error, "device " + std::to_string(index + 1) + ": ip=ADDRESS is required");
        return std::nullopt;
    }
    return setup;
}

std::optional<std::vector<DeviceSetup>> generateDevices(std::size_t count, const std::string& base,
                                                        std::size_t firstIndex,
                                                        std::string* error) {
    const auto start = hostOrder(base);
    if (!start || (*start >> 24) != 127) {
        setError(error, "base address must be a loopback address: " + base);
        return std::nullopt;
    }
    if (count > 0 && ((*start + (count - 1)) >> 24) != 127) {
        setError(error, "too many devices for base address " + base);
        return std::nullopt;
    }
    std::vector<DeviceSetup> out;
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(defaultDevice(firstIndex + i,
                                    kvt::dottedHostOrder(*start + static_cast<std::uint32_t>(i))));
    }
    return out;
}

bool loadDeviceFile(const nlohmann::json& json, Options& options, std::vector<DeviceSetup>& devices,
                    std::string* error) {
    if (!json.is_object()) return setError(error, "configuration file: expected a JSON object");
    if (json.contains("discoveryAddress")) {
        if (!json["discoveryAddress"].is_string()) {
            return setError(error, "discoveryAddress: expected a string");
        }
        options.discoveryAddress = json["discoveryAddress"].get<std::string>();
    }
    for (const char* key : {"discoveryPort", "devicePort"}) {
        if (!json.contains(key)) continue;
        const auto& v = json[key];
        const kvt::NumberRange ports = kvt::kPortRange;
        if (!v.is_number_unsigned() || v.get<std::uint64_t>() > std::uint64_t(ports.max) ||
            !ports.contains(v.get<std::int64_t>())) {
            return setError(error, std::string(key) + ": expected a port " +
                                       std::to_string(ports.min) + ".." +
                                       std::to_string(ports.max));
        }
        (std::string_view(key) == "devicePort" ? options.devicePort : options.discoveryPort) =
            v.get<std::uint16_t>();
    }
    if (!json.contains("devices")) return true;
    if (!json["devices"].is_array()) return setError(error, "devices: expected an array");
    for (const auto& item : json["devices"]) {
        const std::size_t index = devices.size();
        if (!item.is_object()) return setError(error, "devices: each entry is an object");
        DeviceSetup setup = defaultDevice(index, "");
        for (const auto& [key, value] : item.items()) {
            std::string text;
            if (value.is_string()) {
                text = value.get<std::string>();
            } else if (value.is_number_integer()) {
                text = std::to_string(value.get<std::int64_t>());
            } else {
                return setError(error, "device " + std::to_string(index + 1) + ": " + key +
                                           ": expected a string or a number");
            }
            std::string why;
            if (!applyDeviceField(setup, key, text, &why)) {
                return setError(error, "device " + std::to_string(index + 1) + ": " + why);
            }
        }
        if (setup.address.empty()) {
            return setError(error, "device " + std::to_string(index + 1) + ": \"ip\" is required");
        }
        devices.push_back(std::move(setup));
    }
    return true;
}

}  // namespace kvt::sim
