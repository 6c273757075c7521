#include "sim/SimDevice.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/config/DeviceImage.h"
#include "core/config/Rules.h"
#include "core/config/WireFormat.h"
#include "core/platform/Address.h"

namespace kvt::sim {
namespace {

constexpr std::size_t kTextField = kvt::kTextFieldBytes;

using kvt::wire::readU32;
using kvt::wire::writeU32;

// A 16-byte reply: code, length word, then two words of detail.
kvt::Bytes shortReply(std::uint32_t code, std::uint32_t length, std::uint32_t tail = 0,
                      std::uint32_t tail2 = 0) {
    kvt::Bytes out(kvt::kReplySize, 0);
    writeU32(out, 0, code);
    writeU32(out, 4, length);
    writeU32(out, 8, tail);
    writeU32(out, 12, tail2);
    return out;
}

std::string hex(std::uint32_t code) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%02X", code);
    return buffer;
}

const char* kindName(kvt::ConfigKind kind) {
    return kind == kvt::kUserConfig ? "user" : "background";
}

const char* refusalName(Refusal reason) {
    switch (reason) {
        case Refusal::PasswordNeeded:
            return "password check needed";
        case Refusal::RemoteForbidden:
            return "remote configuration forbidden";
        case Refusal::Malformed:
            return "malformed request";
        case Refusal::UnknownCommand:
            return "unknown command";
    }
    return "?";
}

Reply refused(std::uint32_t code, Refusal reason, std::string what) {
    Reply reply;
    reply.bytes = refusalReply(code, reason);
    reply.summary = std::move(what) + " -> refused (" + refusalName(reason) + ")";
    return reply;
}

}  // namespace

kvt::Bytes refusalReply(std::uint32_t requestCode, Refusal reason) {
    return shortReply(kRefusalCode, 8, requestCode, static_cast<std::uint32_t>(reason));
}

void applyWrongCode(kvt::Bytes& reply) {
    if (reply.size() < 4) return;
    writeU32(reply, 0, readU32(reply, 0) + 1);
}

std::string faultText(const Fault& fault) {
    switch (fault.kind) {
        case Fault::Kind::None:
            return "none";
        case Fault::Kind::NoAnswer:
            return "no-answer";
        case Fault::Kind::Refuse:
            return "refuse";
        case Fault::Kind::Split:
            return "split:" + std::to_string(fault.pauseMs);
        case Fault::Kind::Short:
            return "short";
        case Fault::Kind::WrongCode:
            return "wrong-code";
        case Fault::Kind::CloseWithoutReply:
            return "close";
        case Fault::Kind::Slow:
            return "slow:" + std::to_string(fault.pauseMs);
        case Fault::Kind::IgnoreWrite:
            return "ignore-write";
        case Fault::Kind::NoEnip:
            return "no-enip";
    }
    return "?";
}

std::array<std::uint8_t, 4> addressBytes(const std::string& dotted) {
    const auto address = kvt::platform::parseDottedQuad(dotted);
    return address ? kvt::platform::addressBytes(*address) : std::array<std::uint8_t, 4>{};
}

SimDevice::SimDevice(DeviceSetup setup) : m_setup(std::move(setup)), m_address(m_setup.address) {
    if (m_setup.configuration) {
        m_config = *m_setup.configuration;
    } else {
        m_config = kvt::newConfiguration(kvt::kBackgroundConfig);
        m_config.ethernet.ipAddress = m_setup.address;
        // No router on loopback: a switch to a static address then stands as it is, where New's
        // 192.168.0.1 would be a gateway outside the device's subnet.
        m_config.ethernet.gateway = "0.0.0.0";
        if (!m_setup.name.empty()) m_config.ethernet.networkName = m_setup.name;
        m_config.advance.userPassword = m_setup.userPassword;
        m_config.advance.adminPassword = m_setup.adminPassword;
    }
    m_config.productCode = m_setup.productCode;
}

std::string SimDevice::label() const {
    return m_address + " \"" + kvt::gbkToUtf8(m_config.ethernet.networkName) + "\"";
}

Reply SimDevice::handle(std::span<const std::uint8_t> request, ConnectionAuth& auth) {
    const std::uint32_t code = readU32(request, 0);
    switch (code) {
        case kvt::kCmdReadUser:
            return readConfig(kvt::kUserConfig, auth, code);
        case kvt::kCmdReadBackground:
            return readConfig(kvt::kBackgroundConfig, auth, code);
        case kvt::kCmdWriteUser:
            return writeConfig(kvt::kUserConfig, request, auth, code);
        case kvt::kCmdWriteBackground:
            return writeConfig(kvt::kBackgroundConfig, request, auth, code);
        case kvt::kCmdUserPassword:
            return passwordCheck(kvt::kUserConfig, request, auth, code);
        case kvt::kCmdAdminPassword:
            return passwordCheck(kvt::kBackgroundConfig, request, auth, code);
        case kvt::kCmdReset:
            return reset(request, code);
        default:
            return refused(
                code, Refusal::UnknownCommand,
                "command " + hex(code) + " (" + std::to_string(request.size()) + " bytes)");
    }
}

Reply SimDevice::readConfig(kvt::ConfigKind kind, const ConnectionAuth& auth, std::uint32_t code) {
    const std::string what = std::string("read ") + kindName(kind) + " (" + hex(code) + ")";
    if (!m_setup.remoteAllowed) return refused(code, Refusal::RemoteForbidden, what);
    const bool protectedKind = kind == kvt::kUserConfig ? !m_config.advance.userPassword.empty()
                                                        : !m_config.advance.adminPassword.empty();
    const bool unlocked = kind == kvt::kUserConfig ? auth.user : auth.admin;
    if (protectedKind && !unlocked) return refused(code, Refusal::PasswordNeeded, what);

    Reply reply;
    reply.bytes = kvt::buildImage(m_config, kind);
    if (reply.bytes.size() >= 4) writeU32(reply.bytes, 0, code);  // replies carry the read code
    reply.summary = what + " -> " + std::to_string(reply.bytes.size()) + "-byte image";
    return reply;
}

Reply SimDevice::writeConfig(kvt::ConfigKind kind, std::span<const std::uint8_t> request,
                             const ConnectionAuth& auth, std::uint32_t code) {
    const std::string what = std::string("write ") + kindName(kind) + " (" + hex(code) + ")";
    const std::size_t expected =
        kind == kvt::kUserConfig ? kvt::kUserImageSize : kvt::kBackgroundImageSize;
    if (request.size() != expected) return refused(code, Refusal::Malformed, what);
    if (!m_setup.remoteAllowed) return refused(code, Refusal::RemoteForbidden, what);
    const bool protectedKind = kind == kvt::kUserConfig ? !m_config.advance.userPassword.empty()
                                                        : !m_config.advance.adminPassword.empty();
    const bool unlocked = kind == kvt::kUserConfig ? auth.user : auth.admin;
    if (protectedKind && !unlocked) return refused(code, Refusal::PasswordNeeded, what);

    if (m_setup.fault.kind == Fault::Kind::IgnoreWrite) {
        Reply reply;
        reply.bytes = shortReply(code, 8);
        reply.summary = what + " -> acknowledged, not stored";
        return reply;
    }

    kvt::CConfiguration parsed;
    kvt::parseImage(request, kind, parsed);
    // Only what the image carries changes; the rest of the device's configuration stays.
    kvt::CConfiguration& c = m_config;
    const kvt::Gbk keptName = c.ethernet.networkName;
    c.ethernet = parsed.ethernet;
    if (kind == kvt::kUserConfig) c.ethernet.networkName = keptName;
    c.advance.userPassword = parsed.advance.userPassword;
    c.report = parsed.report;
    if (kind == kvt::kBackgroundConfig) {
        c.advance.adminPassword = parsed.advance.adminPassword;
        c.parameter = parsed.parameter;
    }

    Reply reply;
    reply.bytes = shortReply(code, 8);
    reply.stored = true;
    reply.summary = what + " -> stored (ip " + kvt::gbkToUtf8(c.ethernet.ipAddress) + ", report " +
                    (c.report.enabled == 1
                         ? kvt::gbkToUtf8(c.report.targetIp) + ":" + std::to_string(c.report.port) +
                               " every " + std::to_string(c.report.period) + " s"
                         : std::string("off")) +
                    ")";
    return reply;
}

Reply SimDevice::passwordCheck(kvt::ConfigKind kind, std::span<const std::uint8_t> request,
                               ConnectionAuth& auth, std::uint32_t code) {
    const bool user = kind == kvt::kUserConfig;
    const std::string what =
        std::string(user ? "user" : "administrator") + " password check (" + hex(code) + ") ****";
    const std::size_t offset = user ? 8 : 16;
    if (request.size() != offset + kTextField) return refused(code, Refusal::Malformed, what);
    bool ok = true;
    if (!user) {
        ok = std::equal(kvt::kMakerTag.begin(), kvt::kMakerTag.end(), request.begin() + 8,
                        [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
    }
    const kvt::Gbk& stored = user ? m_config.advance.userPassword : m_config.advance.adminPassword;
    const kvt::Gbk storedField = stored.substr(0, kvt::gbkCutLength(stored, kTextField));
    // A device without that password has nothing to protect and accepts any check.
    if (ok && !storedField.empty()) {
        ok = kvt::wire::textField(request, offset, kTextField) == storedField;
    }
    (user ? auth.user : auth.admin) = ok;

    Reply reply;
    reply.bytes = shortReply(code, ok ? 8 : 9);
    reply.closeAfter = false;
    reply.summary = what + (ok ? " -> accepted" : " -> wrong password");
    return reply;
}

Reply SimDevice::reset(std::span<const std::uint8_t> request, std::uint32_t code) {
    const std::string what = "remote reset (" + hex(code) + ")";
    const bool tagged =
        request.size() == 8 + kvt::kMakerTag.size() &&
        std::equal(kvt::kMakerTag.begin(), kvt::kMakerTag.end(), request.begin() + 8,
                   [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
    if (!tagged) return refused(code, Refusal::Malformed, what);
    if (!m_setup.remoteAllowed) return refused(code, Refusal::RemoteForbidden, what);
    ++m_resets;
    Reply reply;
    reply.bytes = shortReply(code, 8);
    reply.restart = true;
    reply.summary = what + " -> reset #" + std::to_string(m_resets);
    return reply;
}

std::array<std::uint8_t, 68> SimDevice::discoveryReply() const {
    std::array<std::uint8_t, 68> out{};
    out[3] = 0x03;
    out[9] = static_cast<std::uint8_t>(m_setup.productCode >> 16);
    out[10] = static_cast<std::uint8_t>(m_setup.productCode >> 8);
    out[11] = static_cast<std::uint8_t>(m_setup.productCode);
    out[24] = static_cast<std::uint8_t>(m_setup.firmwareMajor >> 8);
    out[25] = static_cast<std::uint8_t>(m_setup.firmwareMajor);
    out[26] = static_cast<std::uint8_t>(m_setup.firmwareMinor >> 8);
    out[27] = static_cast<std::uint8_t>(m_setup.firmwareMinor);
    std::copy(m_setup.mac.begin(), m_setup.mac.end(), out.begin() + 28);
    const auto ip = addressBytes(m_address);
    std::copy(ip.begin(), ip.end(), out.begin() + 36);
    out[43] = static_cast<std::uint8_t>((m_config.advance.userPassword.empty() ? 0 : 1) |
                                        (m_config.advance.adminPassword.empty() ? 0 : 2));
    kvt::wire::writeTextField(out, 44, kTextField, m_config.ethernet.networkName);
    out[67] = m_setup.remoteAllowed ? 1 : 0;
    return out;
}

std::array<std::uint8_t, kReportSize> SimDevice::reportDatagram() const {
    std::array<std::uint8_t, kReportSize> out{};
    std::copy(m_setup.mac.begin(), m_setup.mac.end(), out.begin() + 36);
    const auto ip = addressBytes(m_address);
    std::copy(ip.begin(), ip.end(), out.begin() + 44);
    kvt::wire::writeTextField(out, 56, kTextField, m_config.ethernet.networkName);
    return out;
}

}  // namespace kvt::sim
