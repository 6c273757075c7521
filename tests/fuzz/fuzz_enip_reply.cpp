// EtherNet/IP replies as the client reads them, and requests as the simulator answers them:
// whatever arrives, what parses re-encodes to the same meaning, and every answer is one whole
// encapsulation message.
#include <cstdint>
#include <span>

#include "FuzzCheck.h"
#include "core/enip/Codec.h"
#include "sim/DeviceSetupParser.h"
#include "sim/EnipDevice.h"
#include "sim/SimDevice.h"

using namespace kvt::enip;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    if (const auto id = parseListIdentityReply(bytes)) {
        const auto header = parseHeader(bytes);
        FUZZ_CHECK(header && header->command == kListIdentity && header->status == 0);
        FUZZ_CHECK(id->productName.size() <= 255);
        FUZZ_CHECK(parseListIdentityReply(listIdentityReply(*header, *id)) == id);
    }
    if (const auto item = unconnectedData(bytes)) {
        FUZZ_CHECK(item->size() + kHeaderSize + 16 == size);
        if (const auto reply = parseReply(*item)) {
            FUZZ_CHECK(reply->additionalStatus.size() * 2 + 4 + reply->data.size() == item->size());
            FUZZ_CHECK(parseReply(encodeReply(*reply)) == reply);
        }
    }
    if (const auto reply = parseReply(bytes)) FUZZ_CHECK(parseReply(encodeReply(*reply)) == reply);
    if (const auto session = parseRegisterSessionReply(bytes)) FUZZ_CHECK(*session != 0);
    if (const auto path = parsePath(bytes)) FUZZ_CHECK(parsePath(encodePath(*path)) == path);
    if (const auto open = parseForwardOpen(bytes)) {
        FUZZ_CHECK(encodeForwardOpen(*open) == kvt::enip::Bytes(bytes.begin(), bytes.end()) ||
                   bytes[19] || bytes[20] || bytes[21]);  // reserved bytes are not kept
    }
    const std::size_t whole = messageSize(bytes);
    FUZZ_CHECK(whole == 0 || whole >= kHeaderSize);

    // The simulator, fed the same bytes as one message on a connection with a session.
    static const kvt::sim::SimDevice device(kvt::sim::defaultDevice(0, "127.0.0.2"));
    static const kvt::sim::EnipView view = kvt::sim::enipView(device, kPort);
    if (whole != 0 && whole == size) {
        kvt::sim::EnipConnection connection;
        connection.session = size >= 8 ? parseHeader(bytes)->session : 0;
        const auto answer = kvt::sim::answerEnip(bytes, &connection, view);
        if (!answer.bytes.empty()) FUZZ_CHECK(parseMessage(answer.bytes).has_value());
    }
    return 0;
}
