#include "core/enip/Codec.h"

#include <algorithm>
#include <cstdio>

namespace kvt::enip {
namespace {

constexpr std::uint16_t kProtocolVersion = 1;
constexpr std::uint16_t kIdentityItem = 0x000C;
constexpr std::uint16_t kNullAddressItem = 0x0000;
constexpr std::uint16_t kUnconnectedDataItem = 0x00B2;
constexpr std::size_t kForwardOpenFixed = 36;

std::uint16_t u16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t u32(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t{b[at]} | (std::uint32_t{b[at + 1]} << 8) |
           (std::uint32_t{b[at + 2]} << 16) | (std::uint32_t{b[at + 3]} << 24);
}
void put8(Bytes& out, std::uint8_t v) {
    out.push_back(v);
}
void put16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void append(Bytes& out, std::span<const std::uint8_t> more) {
    out.insert(out.end(), more.begin(), more.end());
}

std::string hexName(const char* what, std::uint32_t value, int digits) {
    char text[48];
    std::snprintf(text, sizeof text, "%s 0x%0*X", what, digits, value);
    return text;
}

// A logical segment for `type` (0 class, 1 instance, 3 connection point, 4 attribute).
void putLogical(Bytes& out, std::uint8_t type, std::uint16_t value) {
    const auto segment = static_cast<std::uint8_t>(0x20 | (type << 2));
    if (value <= 0xFF) {
        put8(out, segment);
        put8(out, static_cast<std::uint8_t>(value));
    } else {
        put8(out, segment | 0x01);
        put8(out, 0);  // pad byte
        put16(out, value);
    }
}

// Reads the logical segment at `at`: its type and value; advances `at`. nullopt for anything
// but an 8- or 16-bit logical segment that fits.
struct Logical {
    std::uint8_t type;
    std::uint16_t value;
};
std::optional<Logical> readLogical(std::span<const std::uint8_t> path, std::size_t& at) {
    if (at >= path.size()) return std::nullopt;
    const std::uint8_t segment = path[at];
    if ((segment & 0xE0) != 0x20) return std::nullopt;
    const auto type = static_cast<std::uint8_t>((segment >> 2) & 0x07);
    switch (segment & 0x03) {
        case 0:
            if (at + 2 > path.size()) return std::nullopt;
            at += 2;
            return Logical{type, path[at - 1]};
        case 1:
            if (at + 4 > path.size()) return std::nullopt;
            at += 4;
            return Logical{type, u16(path, at - 2)};
        default:
            return std::nullopt;
    }
}

}  // namespace

Bytes encode(Header header, std::span<const std::uint8_t> data) {
    Bytes out;
    out.reserve(kHeaderSize + data.size());
    put16(out, header.command);
    put16(out, static_cast<std::uint16_t>(data.size()));
    put32(out, header.session);
    put32(out, header.status);
    append(out, header.context);
    put32(out, header.options);
    append(out, data);
    return out;
}

std::optional<Header> parseHeader(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kHeaderSize) return std::nullopt;
    Header h;
    h.command = u16(bytes, 0);
    h.length = u16(bytes, 2);
    h.session = u32(bytes, 4);
    h.status = u32(bytes, 8);
    std::copy(bytes.begin() + 12, bytes.begin() + 20, h.context.begin());
    h.options = u32(bytes, 20);
    return h;
}

std::optional<Message> parseMessage(std::span<const std::uint8_t> bytes) {
    auto header = parseHeader(bytes);
    if (!header || bytes.size() != kHeaderSize + header->length) return std::nullopt;
    return Message{*header, Bytes(bytes.begin() + kHeaderSize, bytes.end())};
}

std::size_t messageSize(std::span<const std::uint8_t> stream) {
    if (stream.size() < kHeaderSize) return 0;
    return kHeaderSize + u16(stream, 2);
}

Bytes listIdentityRequest(std::uint16_t maxDelayMs) {
    Header h;
    h.command = kListIdentity;
    h.context[0] = static_cast<std::uint8_t>(maxDelayMs);
    h.context[1] = static_cast<std::uint8_t>(maxDelayMs >> 8);
    return encode(h);
}

std::uint16_t requesterDelayMs(const Header& request) {
    return effectiveDelayMs(
        static_cast<std::uint16_t>(request.context[0] | (request.context[1] << 8)));
}

std::uint16_t effectiveDelayMs(std::uint16_t asked) {
    if (asked == 0) return 2000;
    return std::max<std::uint16_t>(asked, 500);
}

Bytes listIdentityReply(const Header& request, const Identity& identity) {
    Bytes item;
    put16(item, kProtocolVersion);
    // sockaddr_in, network order.
    item.insert(item.end(), {0x00, 0x02, static_cast<std::uint8_t>(identity.port >> 8),
                             static_cast<std::uint8_t>(identity.port)});
    unsigned a = 0, b = 0, c = 0, d = 0;
    std::sscanf(identity.address.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d);
    item.insert(item.end(), {static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b),
                             static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(d)});
    item.insert(item.end(), 8, 0);
    const Bytes attributes = identityAttributes(identity);
    append(item, attributes);
    put8(item, identity.state);

    Bytes data;
    put16(data, 1);
    put16(data, kIdentityItem);
    put16(data, static_cast<std::uint16_t>(item.size()));
    append(data, item);
    Header h;
    h.command = kListIdentity;
    h.context = request.context;
    return encode(h, data);
}

std::optional<Identity> parseListIdentityReply(std::span<const std::uint8_t> message) {
    const auto m = parseMessage(message);
    if (!m || m->header.command != kListIdentity || m->header.status != kEncapSuccess)
        return std::nullopt;
    const Bytes& d = m->data;
    if (d.size() < 6 || u16(d, 0) < 1 || u16(d, 2) != kIdentityItem) return std::nullopt;
    const std::size_t length = u16(d, 4);
    if (6 + length > d.size() || length < 2 + 16 + 15 + 1) return std::nullopt;
    const std::span<const std::uint8_t> item(d.data() + 6, length);
    Identity id;
    id.port = static_cast<std::uint16_t>((item[4] << 8) | item[5]);
    id.address = std::to_string(item[6]) + "." + std::to_string(item[7]) + "." +
                 std::to_string(item[8]) + "." + std::to_string(item[9]);
    // Attributes, then the state byte after the name.
    const auto attributes = parseIdentityAttributes(item.subspan(18, length - 18 - 1));
    if (!attributes) return std::nullopt;
    const std::size_t used = 18 + 15 + attributes->productName.size();
    if (used + 1 != length) return std::nullopt;
    id.vendorId = attributes->vendorId;
    id.deviceType = attributes->deviceType;
    id.productCode = attributes->productCode;
    id.revisionMajor = attributes->revisionMajor;
    id.revisionMinor = attributes->revisionMinor;
    id.status = attributes->status;
    id.serial = attributes->serial;
    id.productName = attributes->productName;
    id.state = item[used];
    return id;
}

Bytes registerSessionRequest() {
    Header h;
    h.command = kRegisterSession;
    Bytes data;
    put16(data, kProtocolVersion);
    put16(data, 0);
    return encode(h, data);
}

Bytes registerSessionReply(const Header& request, std::uint32_t session, std::uint32_t status) {
    Header h;
    h.command = kRegisterSession;
    h.session = session;
    h.status = status;
    h.context = request.context;
    Bytes data;
    put16(data, kProtocolVersion);
    put16(data, 0);
    return encode(h, data);
}

std::optional<std::uint32_t> parseRegisterSessionReply(std::span<const std::uint8_t> message) {
    const auto m = parseMessage(message);
    if (!m || m->header.command != kRegisterSession || m->header.status != kEncapSuccess ||
        m->header.session == 0 || m->data.size() != 4)
        return std::nullopt;
    return m->header.session;
}

Bytes unregisterSessionRequest(std::uint32_t session) {
    Header h;
    h.command = kUnRegisterSession;
    h.session = session;
    return encode(h);
}

Bytes sendRRData(std::uint32_t session, std::span<const std::uint8_t> cip,
                 const SenderContext& context) {
    Bytes data;
    put32(data, 0);  // interface handle: CIP
    put16(data, 0);  // timeout: the request's own
    put16(data, 2);
    put16(data, kNullAddressItem);
    put16(data, 0);
    put16(data, kUnconnectedDataItem);
    put16(data, static_cast<std::uint16_t>(cip.size()));
    append(data, cip);
    Header h;
    h.command = kSendRRData;
    h.session = session;
    h.context = context;
    return encode(h, data);
}

std::optional<Bytes> unconnectedData(std::span<const std::uint8_t> message) {
    const auto m = parseMessage(message);
    if (!m || m->header.command != kSendRRData || m->header.status != kEncapSuccess)
        return std::nullopt;
    const Bytes& d = m->data;
    if (d.size() < 16 || u16(d, 6) != 2 || u16(d, 8) != kNullAddressItem || u16(d, 10) != 0 ||
        u16(d, 12) != kUnconnectedDataItem || 16u + u16(d, 14) != d.size())
        return std::nullopt;
    return Bytes(d.begin() + 16, d.end());
}

std::string generalStatusName(std::uint8_t status) {
    switch (status) {
        case 0x00:
            return "success";
        case 0x01:
            return "connection failure";
        case 0x02:
            return "resource unavailable";
        case 0x03:
            return "invalid parameter value";
        case 0x04:
            return "path segment error";
        case 0x05:
            return "path destination unknown";
        case 0x06:
            return "partial transfer";
        case 0x08:
            return "service not supported";
        case 0x09:
            return "invalid attribute value";
        case 0x0C:
            return "object state conflict";
        case 0x0E:
            return "attribute not settable";
        case 0x11:
            return "reply data too large";
        case 0x13:
            return "not enough data";
        case 0x14:
            return "attribute not supported";
        case 0x15:
            return "too much data";
        case 0x16:
            return "object does not exist";
        case 0x1E:
            return "embedded service error";
        case 0x20:
            return "invalid parameter";
        default:
            return hexName("general status", status, 2);
    }
}

std::string encapsulationStatusName(std::uint32_t status) {
    switch (status) {
        case kEncapSuccess:
            return "success";
        case kEncapInvalidCommand:
            return "invalid or unsupported command";
        case 0x0002:
            return "insufficient memory";
        case kEncapIncorrectData:
            return "incorrect data";
        case kEncapInvalidSession:
            return "invalid session handle";
        case kEncapInvalidLength:
            return "invalid length";
        case kEncapUnsupportedProtocol:
            return "unsupported protocol revision";
        default:
            return hexName("encapsulation status", status, 4);
    }
}

Bytes encodePath(const Path& path) {
    Bytes out;
    putLogical(out, 0, path.classId);
    putLogical(out, 1, path.instance);
    if (path.attribute) putLogical(out, 4, *path.attribute);
    return out;
}

Bytes encodeRequest(std::uint8_t service, std::span<const std::uint8_t> path,
                    std::span<const std::uint8_t> data) {
    Bytes out;
    put8(out, service);
    put8(out, static_cast<std::uint8_t>(path.size() / 2));
    append(out, path);
    append(out, data);
    return out;
}

Bytes encodeRequest(std::uint8_t service, const Path& path, std::span<const std::uint8_t> data) {
    return encodeRequest(service, encodePath(path), data);
}

std::optional<Request> parseRequest(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 2 || (bytes[0] & kReplyBit)) return std::nullopt;
    const std::size_t pathBytes = 2u * bytes[1];
    if (2 + pathBytes > bytes.size()) return std::nullopt;
    Request r;
    r.service = bytes[0];
    r.path.assign(bytes.begin() + 2, bytes.begin() + 2 + pathBytes);
    r.data.assign(bytes.begin() + 2 + pathBytes, bytes.end());
    return r;
}

std::optional<Path> parsePath(std::span<const std::uint8_t> path) {
    Path out;
    std::size_t at = 0;
    int seen = 0;  // 0 nothing, 1 class, 2 instance, 3 attribute: in that order only
    while (at < path.size()) {
        const auto segment = readLogical(path, at);
        if (!segment) return std::nullopt;
        if (segment->type == 0 && seen == 0) {
            out.classId = segment->value;
            seen = 1;
        } else if (segment->type == 1 && seen == 1) {
            out.instance = segment->value;
            seen = 2;
        } else if (segment->type == 4 && seen == 2) {
            out.attribute = segment->value;
            seen = 3;
        } else {
            return std::nullopt;
        }
    }
    if (seen < 2) return std::nullopt;
    return out;
}

Bytes encodeReply(const Reply& reply) {
    Bytes out;
    put8(out, reply.service | kReplyBit);
    put8(out, 0);
    put8(out, reply.generalStatus);
    put8(out, static_cast<std::uint8_t>(reply.additionalStatus.size()));
    for (const std::uint16_t word : reply.additionalStatus) put16(out, word);
    append(out, reply.data);
    return out;
}

std::optional<Reply> parseReply(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 4 || !(bytes[0] & kReplyBit)) return std::nullopt;
    const std::size_t words = bytes[3];
    if (4 + 2 * words > bytes.size()) return std::nullopt;
    Reply r;
    r.service = bytes[0] & static_cast<std::uint8_t>(~kReplyBit);
    r.generalStatus = bytes[2];
    for (std::size_t i = 0; i < words; ++i) r.additionalStatus.push_back(u16(bytes, 4 + 2 * i));
    r.data.assign(bytes.begin() + 4 + 2 * words, bytes.end());
    return r;
}

Bytes identityAttributes(const Identity& identity) {
    Bytes out;
    put16(out, identity.vendorId);
    put16(out, identity.deviceType);
    put16(out, identity.productCode);
    put8(out, identity.revisionMajor);
    put8(out, identity.revisionMinor);
    put16(out, identity.status);
    put32(out, identity.serial);
    const std::size_t n = std::min<std::size_t>(identity.productName.size(), 255);
    put8(out, static_cast<std::uint8_t>(n));
    out.insert(out.end(), identity.productName.begin(), identity.productName.begin() + n);
    return out;
}

std::optional<Identity> parseIdentityAttributes(std::span<const std::uint8_t> data) {
    if (data.size() < 15) return std::nullopt;
    const std::size_t nameLength = data[14];
    // Devices of later revisions append attributes after the name; those are not read.
    if (15 + nameLength > data.size()) return std::nullopt;
    Identity id;
    id.vendorId = u16(data, 0);
    id.deviceType = u16(data, 2);
    id.productCode = u16(data, 4);
    id.revisionMajor = data[6];
    id.revisionMinor = data[7];
    id.status = u16(data, 8);
    id.serial = u32(data, 10);
    id.productName.assign(data.begin() + 15, data.begin() + 15 + nameLength);
    return id;
}

std::optional<UnconnectedSend> parseUnconnectedSend(std::span<const std::uint8_t> data) {
    if (data.size() < 4) return std::nullopt;
    const std::size_t size = u16(data, 2);
    std::size_t at = 4 + size + (size % 2);
    if (at + 2 > data.size()) return std::nullopt;
    const std::size_t routeBytes = 2u * data[at];
    if (at + 2 + routeBytes != data.size()) return std::nullopt;
    UnconnectedSend out;
    out.request.assign(data.begin() + 4, data.begin() + 4 + size);
    out.route.assign(data.begin() + at + 2, data.end());
    return out;
}

std::uint16_t connectionParameters(std::uint16_t size) {
    constexpr std::uint16_t kPointToPoint = 2 << 13;
    constexpr std::uint16_t kScheduled = 2 << 10;
    return static_cast<std::uint16_t>(kPointToPoint | kScheduled | (size & 0x01FF));
}

Bytes encodeForwardOpen(const ForwardOpen& open) {
    Bytes out;
    put8(out, open.priorityTick);
    put8(out, open.timeoutTicks);
    put32(out, open.otConnectionId);
    put32(out, open.toConnectionId);
    put16(out, open.connectionSerial);
    put16(out, open.originatorVendor);
    put32(out, open.originatorSerial);
    put8(out, open.timeoutMultiplier);
    out.insert(out.end(), 3, 0);
    put32(out, open.otRpi);
    put16(out, open.otParameters);
    put32(out, open.toRpi);
    put16(out, open.toParameters);
    put8(out, open.transport);
    put8(out, static_cast<std::uint8_t>(open.path.size() / 2));
    append(out, open.path);
    return out;
}

std::optional<ForwardOpen> parseForwardOpen(std::span<const std::uint8_t> data) {
    if (data.size() < kForwardOpenFixed) return std::nullopt;
    const std::size_t pathBytes = 2u * data[35];
    if (kForwardOpenFixed + pathBytes != data.size()) return std::nullopt;
    ForwardOpen f;
    f.priorityTick = data[0];
    f.timeoutTicks = data[1];
    f.otConnectionId = u32(data, 2);
    f.toConnectionId = u32(data, 6);
    f.connectionSerial = u16(data, 10);
    f.originatorVendor = u16(data, 12);
    f.originatorSerial = u32(data, 14);
    f.timeoutMultiplier = data[18];
    f.otRpi = u32(data, 22);
    f.otParameters = u16(data, 26);
    f.toRpi = u32(data, 28);
    f.toParameters = u16(data, 32);
    f.transport = data[34];
    f.path.assign(data.begin() + kForwardOpenFixed, data.end());
    return f;
}

Bytes forwardOpenReply(const ForwardOpen& open, std::uint32_t otConnectionId,
                       std::uint32_t toConnectionId) {
    Bytes out;
    put32(out, otConnectionId);
    put32(out, toConnectionId);
    put16(out, open.connectionSerial);
    put16(out, open.originatorVendor);
    put32(out, open.originatorSerial);
    put32(out, open.otRpi);
    put32(out, open.toRpi);
    put8(out, 0);  // application reply size
    put8(out, 0);
    return out;
}

Bytes forwardOpenFailure(const ForwardOpen& open) {
    Bytes out;
    put16(out, open.connectionSerial);
    put16(out, open.originatorVendor);
    put32(out, open.originatorSerial);
    put8(out, 0);  // remaining path size
    put8(out, 0);
    return out;
}

std::optional<ConnectionPoints> parseConnectionPath(std::span<const std::uint8_t> path) {
    std::size_t at = 0;
    // Electronic key: 0x34, format 4, vendor, device type, product code, revision.
    if (path.size() >= 10 && path[0] == 0x34) {
        if (path[1] != 4) return std::nullopt;
        at = 10;
    }
    const auto assemblyClass = readLogical(path, at);
    if (!assemblyClass || assemblyClass->type != 0 || assemblyClass->value != kAssemblyClass)
        return std::nullopt;
    const auto configuration = readLogical(path, at);
    if (!configuration || configuration->type != 1) return std::nullopt;
    std::vector<std::uint16_t> points;
    while (at < path.size() && (path[at] & 0xFC) == 0x2C) {
        const auto point = readLogical(path, at);
        if (!point) return std::nullopt;
        points.push_back(point->value);
    }
    if (points.empty() || points.size() > 2) return std::nullopt;
    // Configuration data (a simple data segment) may follow; nothing else may.
    if (at < path.size()) {
        if (path[at] != 0x80 || at + 2 > path.size() || at + 2 + 2u * path[at + 1] != path.size())
            return std::nullopt;
    }
    ConnectionPoints out;
    out.configuration = configuration->value;
    // A single point is an input-only connection: produced by the device.
    out.consumed = points.size() == 2 ? points[0] : 0;
    out.produced = points.back();
    return out;
}

Bytes encodeConnectionPath(const ConnectionPoints& points) {
    Bytes out;
    putLogical(out, 0, kAssemblyClass);
    putLogical(out, 1, points.configuration);
    putLogical(out, 3, points.consumed);
    putLogical(out, 3, points.produced);
    return out;
}

}  // namespace kvt::enip
