// The simulated gateway's request handling over a stream of framed requests on one
// connection: every reply is a well-formed message, protected configurations are never served
// or changed without the right password, a device that ignores writes never changes, and what a
// device stores always rebuilds to a valid image.
#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "FuzzCheck.h"
#include "core/config/DeviceImage.h"
#include "core/device/Messages.h"
#include "sim/SimDevice.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kvt::sim::DeviceSetup setup;
    setup.address = "127.0.0.2";
    setup.name = "fuzz";
    setup.userPassword = "1234";
    setup.adminPassword = "admin";
    setup.remoteAllowed = size > 0 && (data[0] & 1);
    const bool ignoresWrites = size > 0 && (data[0] & 2);
    if (ignoresWrites) setup.fault = {kvt::sim::Fault::Kind::IgnoreWrite, 0};
    kvt::sim::SimDevice device(setup);
    kvt::sim::ConnectionAuth auth;

    std::size_t pos = 1;
    while (pos + 8 <= size) {
        const std::span<const std::uint8_t> header(data + pos, 8);
        const std::uint32_t code = kvt::readBigEndian32(header, 0);
        const std::size_t announced = kvt::readBigEndian32(header, 4);
        const std::size_t length =
            std::min({announced, std::size_t{kvt::sim::kMaxPayload}, size - pos - 8});
        std::vector<std::uint8_t> request(data + pos, data + pos + 8 + length);
        pos += 8 + length;

        const kvt::CConfiguration before = device.configuration();
        const bool userAuth = auth.user;
        const bool adminAuth = auth.admin;
        const auto reply = device.handle(request, auth);

        const auto& bytes = reply.bytes;
        FUZZ_CHECK(bytes.size() == 16 || bytes.size() == kvt::kUserImageSize ||
                   bytes.size() == kvt::kBackgroundImageSize);
        const std::uint32_t replyCode = kvt::readBigEndian32(bytes, 0);
        FUZZ_CHECK(replyCode == code || replyCode == kvt::sim::kRefusalCode);

        // Only a passed check grants access, and only to the configuration of its kind.
        if (auth.user && !userAuth) {
            FUZZ_CHECK(code == kvt::kCmdUserPassword &&
                       kvt::passwordAccepted(bytes, kvt::kUserConfig));
        }
        if (auth.admin && !adminAuth) {
            FUZZ_CHECK(code == kvt::kCmdAdminPassword &&
                       kvt::passwordAccepted(bytes, kvt::kBackgroundConfig));
        }
        const bool isRead = code == kvt::kCmdReadUser || code == kvt::kCmdReadBackground;
        const bool isWrite = code == kvt::kCmdWriteUser || code == kvt::kCmdWriteBackground;
        const bool protectedKind =
            (code == kvt::kCmdReadUser || code == kvt::kCmdWriteUser) ? !userAuth : !adminAuth;
        if ((isRead || isWrite) && (protectedKind || !setup.remoteAllowed)) {
            FUZZ_CHECK(replyCode == kvt::sim::kRefusalCode);
            FUZZ_CHECK(device.configuration() == before);
        }
        if (!isWrite || ignoresWrites) FUZZ_CHECK(device.configuration() == before);
        FUZZ_CHECK(!reply.stored || (isWrite && !ignoresWrites));
        // Only an accepted reset restarts the device (and may move it).
        if (reply.restart) FUZZ_CHECK(code == kvt::kCmdReset && replyCode == code);

        // The stored configuration always rebuilds to an image that parses back to itself.
        for (kvt::ConfigKind kind : {kvt::kUserConfig, kvt::kBackgroundConfig}) {
            const auto image = kvt::buildImage(device.configuration(), kind);
            kvt::CConfiguration parsed;
            FUZZ_CHECK(kvt::parseImage(image, kind, parsed));
            FUZZ_CHECK(kvt::buildImage(parsed, kind) == image);
        }
        if (reply.closeAfter) {
            auth = {};  // the next request arrives on a new connection
        }
    }
    return 0;
}
