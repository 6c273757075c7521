#include "sim/EnipDevice.h"

#include <algorithm>
#include <cstdio>

#include "core/text/Gbk.h"

namespace kvt::sim {
namespace {

using namespace kvt::enip;

std::string hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

Bytes reply(std::uint8_t service, std::uint8_t status, Bytes data = {},
            std::vector<std::uint16_t> additional = {}) {
    return encodeReply({service, status, std::move(additional), std::move(data)});
}

Bytes le16(std::uint16_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
}

Bytes identityAttribute(const Identity& id, std::uint16_t attribute) {
    const Bytes all = identityAttributes(id);
    switch (attribute) {
        case 1:
            return Bytes(all.begin(), all.begin() + 2);
        case 2:
            return Bytes(all.begin() + 2, all.begin() + 4);
        case 3:
            return Bytes(all.begin() + 4, all.begin() + 6);
        case 4:
            return Bytes(all.begin() + 6, all.begin() + 8);
        case 5:
            return Bytes(all.begin() + 8, all.begin() + 10);
        case 6:
            return Bytes(all.begin() + 10, all.begin() + 14);
        case 7:
            return Bytes(all.begin() + 14, all.end());
        default:
            return {};
    }
}

Bytes forwardOpen(const Request& request, EnipConnection& connection, const EnipView& view,
                  std::string& summary) {
    const auto open = parseForwardOpen(request.data);
    if (!open) {
        summary = "Forward_Open malformed";
        return reply(kForwardOpen, kNotEnoughData);
    }
    const auto fail = [&](std::uint16_t extended, std::optional<std::uint16_t> size,
                          std::string why) {
        summary = "Forward_Open " + why + " -> 0x01/" + hex(extended, 4);
        std::vector<std::uint16_t> additional{extended};
        if (size) additional.push_back(*size);
        return reply(kForwardOpen, kConnectionFailure, forwardOpenFailure(*open), additional);
    };
    const auto points = parseConnectionPath(open->path);
    if (!points) return fail(kInvalidSegmentInPath, std::nullopt, "with an unreadable path");
    const auto set = connectionSet(view.sizes, points->consumed, points->produced);
    if (!set)
        return fail(kInvalidApplicationPath, std::nullopt,
                    "to points " + std::to_string(points->consumed) + "/" +
                        std::to_string(points->produced));
    const std::string sizes =
        "O->T " + std::to_string(open->otSize()) + ", T->O " + std::to_string(open->toSize());
    // An input-only connection carries no O->T data but the sequence count and header.
    if (points->consumed != 0 && open->otSize() != set->otConnectionSize())
        return fail(kInvalidOtSize, set->otConnectionSize(), sizes);
    if (open->toSize() != set->toConnectionSize())
        return fail(kInvalidToSize, set->toConnectionSize(), sizes);
    summary = "Forward_Open " + sizes + " -> accepted (no I/O data is produced)";
    return reply(kForwardOpen, kSuccess,
                 forwardOpenReply(*open, connection.nextConnectionId++, open->toConnectionId));
}

Bytes forwardClose(const Request& request, std::string& summary) {
    summary = "Forward_Close";
    if (request.data.size() < 10) return reply(kForwardClose, kNotEnoughData);
    Bytes data(request.data.begin() + 2, request.data.begin() + 10);
    data.push_back(0);
    data.push_back(0);
    return reply(kForwardClose, kSuccess, data);
}

Bytes answerRequest(const Request& request, EnipConnection& connection, const EnipView& view,
                    std::string& summary, int depth) {
    const auto path = parsePath(request.path);
    if (!path) {
        summary = "service " + hex(request.service, 2) + " with an unreadable path";
        return reply(request.service, kPathSegmentError);
    }
    const std::string where =
        "class " + hex(path->classId, 2) + " instance " + std::to_string(path->instance) +
        (path->attribute ? " attribute " + std::to_string(*path->attribute) : std::string());
    summary = "service " + hex(request.service, 2) + " " + where;
    const std::uint8_t service = request.service;
    if (path->classId == kConnectionManagerClass && path->instance == 1) {
        if (service == kForwardOpen) return forwardOpen(request, connection, view, summary);
        if (service == kForwardClose) return forwardClose(request, summary);
        if (service == kUnconnectedSend && depth == 0) {
            const auto send = parseUnconnectedSend(request.data);
            const auto inner = send ? parseRequest(send->request) : std::nullopt;
            if (!inner) return reply(service, kNotEnoughData);
            // The route ends here: the simulated gateway has no backplane behind it.
            Bytes answer = answerRequest(*inner, connection, view, summary, depth + 1);
            summary = "Unconnected Send: " + summary;
            return answer;
        }
        return reply(service, kServiceNotSupported);
    }
    if (path->classId == kIdentityClass) {
        if (path->instance != 1) return reply(service, kPathDestinationUnknown);
        if (service == kGetAttributesAll)
            return reply(service, kSuccess, identityAttributes(view.identity));
        if (service != kGetAttributeSingle) return reply(service, kServiceNotSupported);
        Bytes value =
            path->attribute ? identityAttribute(view.identity, *path->attribute) : Bytes{};
        if (value.empty()) return reply(service, kAttributeNotSupported);
        return reply(service, kSuccess, std::move(value));
    }
    if (path->classId == kAssemblyClass) {
        const auto it =
            std::find_if(view.sizes.begin(), view.sizes.end(),
                         [&](const AssemblySize& a) { return a.instance == path->instance; });
        if (it == view.sizes.end()) return reply(service, kPathDestinationUnknown);
        if (service != kGetAttributeSingle) return reply(service, kServiceNotSupported);
        if (path->attribute == kAssemblySizeAttribute) {
            summary += " -> " + std::to_string(it->bytes);
            return reply(service, kSuccess, le16(it->bytes));
        }
        if (path->attribute == kAssemblyDataAttribute)
            return reply(service, kSuccess, Bytes(it->bytes, 0));
        return reply(service, kAttributeNotSupported);
    }
    return reply(service, kPathDestinationUnknown);
}

Bytes listServicesReply(const Header& request) {
    Bytes data = {1, 0, 0x00, 0x01, 20, 0, 1, 0};
    // Capabilities: CIP encapsulation over TCP (bit 5), class 0/1 over UDP (bit 8).
    const Bytes flags = le16(0x0120);
    data.insert(data.end(), flags.begin(), flags.end());
    const char name[16] = "Communications";
    data.insert(data.end(), name, name + 16);
    Header h;
    h.command = kListServices;
    h.context = request.context;
    return encode(h, data);
}

Bytes statusOnly(const Header& request, std::uint32_t status) {
    Header h = request;
    h.status = status;
    return encode(h);
}

}  // namespace

EnipView enipView(const SimDevice& device, std::uint16_t port) {
    EnipView view;
    Identity& id = view.identity;
    const DeviceSetup& setup = device.setup();
    id.vendorId = kPlaceholderVendorId;
    id.deviceType = kCommunicationsAdapter;
    id.productCode = static_cast<std::uint16_t>(setup.productCode & 0xFFFF);
    id.revisionMajor = static_cast<std::uint8_t>(std::min<unsigned>(setup.firmwareMajor, 255));
    id.revisionMinor = static_cast<std::uint8_t>(std::min<unsigned>(setup.firmwareMinor, 255));
    id.status = 0x0004;  // configured
    id.serial = (std::uint32_t{setup.mac[2]} << 24) | (std::uint32_t{setup.mac[3]} << 16) |
                (std::uint32_t{setup.mac[4]} << 8) | setup.mac[5];
    id.productName = device.configuration().ethernet.networkName;
    id.state = 3;  // operational
    id.address = device.address();
    id.port = port;
    view.sizes = enip::assemblySizes(device.configuration());
    if (setup.enipSizes) {
        for (std::size_t i = 0; i < view.sizes.size(); ++i)
            view.sizes[i].bytes = (*setup.enipSizes)[i];
    }
    return view;
}

Bytes answerCip(std::span<const std::uint8_t> bytes, EnipConnection& connection,
                const EnipView& view, std::string& summary) {
    const auto request = parseRequest(bytes);
    if (!request) {
        summary = "unreadable message-router request";
        return reply(bytes.empty() ? 0 : bytes[0] & 0x7F, kNotEnoughData);
    }
    return answerRequest(*request, connection, view, summary, 0);
}

EnipAnswer answerEnip(std::span<const std::uint8_t> message, EnipConnection* connection,
                      const EnipView& view) {
    EnipAnswer answer;
    const auto m = parseMessage(message);
    if (!m) {
        answer.close = true;
        answer.summary = "malformed encapsulation";
        return answer;
    }
    const Header& h = m->header;
    if (h.command == kListIdentity) {
        answer.bytes = listIdentityReply(h, view.identity);
        answer.summary = "ListIdentity";
        return answer;
    }
    if (!connection) {
        answer.summary = "command " + hex(h.command, 4) + " over UDP ignored";
        return answer;
    }
    switch (h.command) {
        case kNop:
            answer.summary = "NOP";
            return answer;
        case kListServices:
            answer.bytes = listServicesReply(h);
            answer.summary = "ListServices";
            return answer;
        case kRegisterSession: {
            const bool version1 = m->data.size() == 4 && m->data[0] == 1 && m->data[1] == 0;
            if (!version1) {
                answer.bytes = registerSessionReply(h, 0, kEncapUnsupportedProtocol);
                answer.summary = "RegisterSession of another protocol version -> refused";
                return answer;
            }
            if (connection->session == 0)
                connection->session = 0x0100 + (view.identity.serial & 0xFF);
            answer.bytes = registerSessionReply(h, connection->session, kEncapSuccess);
            answer.summary = "RegisterSession -> " + hex(connection->session, 8);
            return answer;
        }
        case kUnRegisterSession:
            answer.close = true;
            answer.summary = "UnRegisterSession";
            return answer;
        case kSendRRData: {
            if (connection->session == 0 || h.session != connection->session) {
                answer.bytes = statusOnly(h, kEncapInvalidSession);
                answer.summary = "SendRRData without its session -> refused";
                return answer;
            }
            const auto item = unconnectedData(message);
            if (!item) {
                answer.bytes = statusOnly(h, kEncapIncorrectData);
                answer.summary = "SendRRData without a Null Address and Unconnected Data item";
                return answer;
            }
            std::string summary;
            const Bytes cip = answerCip(*item, *connection, view, summary);
            answer.bytes = sendRRData(h.session, cip, h.context);
            const auto parsed = parseReply(cip);
            answer.summary = summary + (parsed && parsed->generalStatus != kSuccess
                                            ? " -> " + generalStatusName(parsed->generalStatus)
                                            : std::string());
            return answer;
        }
        default:
            answer.bytes = statusOnly(h, kEncapInvalidCommand);
            answer.summary = "command " + hex(h.command, 4) + " -> unsupported";
            return answer;
    }
}

}  // namespace kvt::sim
