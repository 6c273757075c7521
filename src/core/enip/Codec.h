#pragma once
// EtherNet/IP encapsulation and the CIP explicit messages the tool and the simulator exchange:
// ListIdentity, sessions, SendRRData with a message-router request, Get_Attribute(s) on the
// Identity and Assembly objects, Forward_Open. Pure functions over bytes: no sockets here.
// Everything on the wire is little-endian, except the socket address inside a ListIdentity
// reply, which is a sockaddr_in in network order.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kvt::enip {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint16_t kPort = 44818;  // TCP and UDP
inline constexpr std::size_t kHeaderSize = 24;
// Longest encapsulation data a peer may announce; a longer one ends the connection.
inline constexpr std::size_t kMaxDataLength = 65511;

enum Command : std::uint16_t {
    kNop = 0x0000,
    kListServices = 0x0004,
    kListIdentity = 0x0063,
    kRegisterSession = 0x0065,
    kUnRegisterSession = 0x0066,
    kSendRRData = 0x006F,
};

// Encapsulation status codes.
enum EncapsulationStatus : std::uint32_t {
    kEncapSuccess = 0x0000,
    kEncapInvalidCommand = 0x0001,
    kEncapIncorrectData = 0x0003,
    kEncapInvalidSession = 0x0064,
    kEncapInvalidLength = 0x0065,
    kEncapUnsupportedProtocol = 0x0069,
};

using SenderContext = std::array<std::uint8_t, 8>;

struct Header {
    std::uint16_t command = 0;
    std::uint16_t length = 0;  // bytes of data after the header
    std::uint32_t session = 0;
    std::uint32_t status = 0;
    SenderContext context{};
    std::uint32_t options = 0;
};

struct Message {
    Header header;
    Bytes data;
};

// Header plus `data`; the length field is data.size().
Bytes encode(Header header, std::span<const std::uint8_t> data = {});
// The header at the start of `bytes`; nullopt when fewer than 24 bytes.
std::optional<Header> parseHeader(std::span<const std::uint8_t> bytes);
// One whole message: exactly 24 bytes plus the length the header announces.
std::optional<Message> parseMessage(std::span<const std::uint8_t> bytes);
// How many bytes the message at the start of a TCP stream takes: 0 while its header is not
// complete, else 24 + its length.
std::size_t messageSize(std::span<const std::uint8_t> stream);

// ---------------------------------------------------------------- ListIdentity

struct Identity {
    std::uint16_t vendorId = 0;
    std::uint16_t deviceType = 0;
    std::uint16_t productCode = 0;
    std::uint8_t revisionMajor = 0;
    std::uint8_t revisionMinor = 0;
    std::uint16_t status = 0;
    std::uint32_t serial = 0;
    std::string productName;  // bytes as sent (a SHORT_STRING, at most 255)
    std::uint8_t state = 0xFF;
    // From the reply's socket address: where the device says it serves.
    std::string address;
    std::uint16_t port = kPort;
    bool operator==(const Identity&) const = default;
};

// Device type of a communications adapter.
inline constexpr std::uint16_t kCommunicationsAdapter = 12;

// A ListIdentity request. `maxDelayMs` goes into the first two sender-context bytes: how long a
// device that hears a broadcast may wait before it answers (0: the device's default).
Bytes listIdentityRequest(std::uint16_t maxDelayMs = 0);
// The longest a device waits before answering `request` when it came by broadcast, as the
// protocol reads the requester's value: 0 means 2000 ms, below 500 means 500 ms.
std::uint16_t requesterDelayMs(const Header& request);
std::uint16_t effectiveDelayMs(std::uint16_t asked);
// The reply to `request` (its sender context echoed) with one identity item.
Bytes listIdentityReply(const Header& request, const Identity& identity);
// The identity item of a ListIdentity reply; nullopt unless the message is a successful
// ListIdentity reply whose first item is a well-formed identity item.
std::optional<Identity> parseListIdentityReply(std::span<const std::uint8_t> message);

// ---------------------------------------------------------------- sessions

Bytes registerSessionRequest();
// The reply (also used by the simulator): protocol version 1, options 0.
Bytes registerSessionReply(const Header& request, std::uint32_t session, std::uint32_t status);
// The session handle of a successful RegisterSession reply.
std::optional<std::uint32_t> parseRegisterSessionReply(std::span<const std::uint8_t> message);
Bytes unregisterSessionRequest(std::uint32_t session);

// SendRRData carrying `cip` in an Unconnected Data item after a Null Address item.
Bytes sendRRData(std::uint32_t session, std::span<const std::uint8_t> cip,
                 const SenderContext& context = {});
// The Unconnected Data item of a SendRRData message (request or reply); nullopt when the
// message is no SendRRData, failed, or does not hold exactly a Null Address item and an
// Unconnected Data item.
std::optional<Bytes> unconnectedData(std::span<const std::uint8_t> message);

// ---------------------------------------------------------------- CIP

enum Service : std::uint8_t {
    kGetAttributesAll = 0x01,
    kGetAttributeSingle = 0x0E,
    kForwardClose = 0x4E,
    kUnconnectedSend = 0x52,
    kForwardOpen = 0x54,
    kReplyBit = 0x80,
};

enum ClassId : std::uint16_t {
    kIdentityClass = 0x01,
    kMessageRouterClass = 0x02,
    kAssemblyClass = 0x04,
    kConnectionManagerClass = 0x06,
};

inline constexpr std::uint16_t kAssemblyDataAttribute = 3;
inline constexpr std::uint16_t kAssemblySizeAttribute = 4;

enum GeneralStatus : std::uint8_t {
    kSuccess = 0x00,
    kConnectionFailure = 0x01,
    kPathSegmentError = 0x04,
    kPathDestinationUnknown = 0x05,
    kServiceNotSupported = 0x08,
    kNotEnoughData = 0x13,
    kAttributeNotSupported = 0x14,
    kTooMuchData = 0x15,
    kObjectDoesNotExist = 0x16,
};

// Extended status of a connection failure (general status 0x01).
enum ConnectionStatus : std::uint16_t {
    kInvalidSegmentInPath = 0x0315,
    kInvalidApplicationPath = 0x0117,
    kInvalidOtSize = 0x0127,
    kInvalidToSize = 0x0128,
};

// The general status's name, e.g. "path destination unknown"; "general status 0xNN" for one
// without a name here.
std::string generalStatusName(std::uint8_t status);
// The same for encapsulation status codes.
std::string encapsulationStatusName(std::uint32_t status);

// A logical path: class, instance, and attribute or connection points as the request needs.
// Each value takes an 8-bit segment up to 255, else a 16-bit one.
struct Path {
    std::uint16_t classId = 0;
    std::uint16_t instance = 0;
    std::optional<std::uint16_t> attribute;
    bool operator==(const Path&) const = default;
};
Bytes encodePath(const Path& path);

// A message-router request as it arrives: the path still as bytes.
struct Request {
    std::uint8_t service = 0;
    Bytes path;  // whole 16-bit words
    Bytes data;
};
Bytes encodeRequest(std::uint8_t service, std::span<const std::uint8_t> path,
                    std::span<const std::uint8_t> data = {});
Bytes encodeRequest(std::uint8_t service, const Path& path,
                    std::span<const std::uint8_t> data = {});
std::optional<Request> parseRequest(std::span<const std::uint8_t> bytes);
// The class, instance and attribute of a path of logical segments (8- or 16-bit); nullopt for
// any other segment, a 32-bit one, a repeated or misplaced one, or a path cut short.
std::optional<Path> parsePath(std::span<const std::uint8_t> path);

struct Reply {
    std::uint8_t service = 0;  // the request's service, without the reply bit
    std::uint8_t generalStatus = 0;
    std::vector<std::uint16_t> additionalStatus;
    Bytes data;
    bool operator==(const Reply&) const = default;
};
Bytes encodeReply(const Reply& reply);
// nullopt unless the reply bit is set and the additional status fits.
std::optional<Reply> parseReply(std::span<const std::uint8_t> bytes);

// Identity attributes 1 to 7 in the order of Get_Attributes_All.
Bytes identityAttributes(const Identity& identity);
std::optional<Identity> parseIdentityAttributes(std::span<const std::uint8_t> data);

// Unconnected Send: the embedded request and the route, which ends at the device when empty.
struct UnconnectedSend {
    Bytes request;
    Bytes route;
};
std::optional<UnconnectedSend> parseUnconnectedSend(std::span<const std::uint8_t> data);

// ---------------------------------------------------------------- Forward_Open

struct ForwardOpen {
    std::uint8_t priorityTick = 0x0A;
    std::uint8_t timeoutTicks = 0x0E;
    std::uint32_t otConnectionId = 0;
    std::uint32_t toConnectionId = 0;
    std::uint16_t connectionSerial = 0;
    std::uint16_t originatorVendor = 0;
    std::uint32_t originatorSerial = 0;
    std::uint8_t timeoutMultiplier = 0;
    std::uint32_t otRpi = 10000;  // microseconds
    std::uint16_t otParameters = 0;
    std::uint32_t toRpi = 10000;
    std::uint16_t toParameters = 0;
    std::uint8_t transport = 0x01;  // class 1, cyclic
    Bytes path;                     // connection path, whole words

    // The connection size in bytes: the low nine bits of the network connection parameters.
    std::uint16_t otSize() const { return otParameters & 0x01FF; }
    std::uint16_t toSize() const { return toParameters & 0x01FF; }
    bool operator==(const ForwardOpen&) const = default;
};

// Point-to-point, scheduled priority, fixed size, exclusive owner, with `size` bytes.
std::uint16_t connectionParameters(std::uint16_t size);
Bytes encodeForwardOpen(const ForwardOpen& open);  // the request's data (after the path)
std::optional<ForwardOpen> parseForwardOpen(std::span<const std::uint8_t> data);
// Data of a successful reply: the connection ids, serials, actual intervals, no application
// reply.
Bytes forwardOpenReply(const ForwardOpen& open, std::uint32_t otConnectionId,
                       std::uint32_t toConnectionId);
// Data of an unsuccessful reply: serials and remaining path size.
Bytes forwardOpenFailure(const ForwardOpen& open);

// The assembly instances of an I/O connection path (after an optional electronic key):
// class 4, the configuration instance, the consumed (O->T) and produced (T->O) connection
// points; a data segment with configuration data may follow.
struct ConnectionPoints {
    std::uint16_t configuration = 0;
    std::uint16_t consumed = 0;  // O->T
    std::uint16_t produced = 0;  // T->O
};
std::optional<ConnectionPoints> parseConnectionPath(std::span<const std::uint8_t> path);
Bytes encodeConnectionPath(const ConnectionPoints& points);

}  // namespace kvt::enip
