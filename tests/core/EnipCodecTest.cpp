// EtherNet/IP codec: byte layouts where the two byte orders meet, paths of both widths, replies
// cut short, Forward_Open and its connection path, and what a configuration's sizes imply.
#include <gtest/gtest.h>

#include "core/config/Configuration.h"
#include "core/enip/Assemblies.h"
#include "core/enip/Codec.h"

namespace kvt::enip {
namespace {

Identity sampleIdentity() {
    Identity id;
    id.vendorId = 0xFFFE;
    id.deviceType = kCommunicationsAdapter;
    id.productCode = 3031;
    id.revisionMajor = 2;
    id.revisionMinor = 5;
    id.status = 0x0004;
    id.serial = 0x12345678;
    id.productName = "GW-1";
    id.state = 3;
    id.address = "127.1.2.3";
    id.port = kPort;
    return id;
}

TEST(EnipListIdentity, ReplyHasABigEndianSocketAddressAmongLittleEndianFields) {
    Header request;
    request.context = {0xF4, 0x01, 9, 9, 9, 9, 9, 9};
    const Bytes reply = listIdentityReply(request, sampleIdentity());
    // Header 24, item count 2, item type 2, item length 2, version 2: then sockaddr_in.
    ASSERT_EQ(reply.size(), 24u + 6 + 2 + 16 + 15 + 4 + 1);
    EXPECT_EQ(Bytes(reply.begin() + 12, reply.begin() + 20),
              Bytes(request.context.begin(), request.context.end()));
    EXPECT_EQ(Bytes(reply.begin() + 32, reply.begin() + 40),
              (Bytes{0x00, 0x02, 0xAF, 0x12, 127, 1, 2, 3}));  // family, port 44818, address
    EXPECT_EQ(Bytes(reply.begin() + 48, reply.begin() + 52), (Bytes{0xFE, 0xFF, 12, 0}));
    EXPECT_EQ(Bytes(reply.begin() + 58, reply.begin() + 62), (Bytes{0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(parseListIdentityReply(reply), sampleIdentity());

    // Cut anywhere, or with a name longer than its item, it is no identity.
    for (std::size_t cut = 0; cut < reply.size(); ++cut)
        EXPECT_FALSE(parseListIdentityReply(std::span(reply.data(), cut))) << cut;
    Bytes lying = reply;
    lying[62] = 40;  // name length
    EXPECT_FALSE(parseListIdentityReply(lying));
    Bytes failed = reply;
    failed[8] = 1;  // encapsulation status
    EXPECT_FALSE(parseListIdentityReply(failed));
}

TEST(EnipListIdentity, RequesterDelayAsTheProtocolReadsIt) {
    const struct {
        std::uint16_t asked, used;
    } cases[] = {{0, 2000}, {1, 500}, {499, 500}, {500, 500}, {1500, 1500}, {65535, 65535}};
    for (const auto& c : cases) {
        const auto header = parseHeader(listIdentityRequest(c.asked));
        ASSERT_TRUE(header);
        EXPECT_EQ(requesterDelayMs(*header), c.used) << c.asked;
    }
}

TEST(EnipSession, RegisterAndSendRRDataFrames) {
    const Bytes request = registerSessionRequest();
    EXPECT_EQ(request, (Bytes{0x65, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                              0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
    const Bytes reply = registerSessionReply(*parseHeader(request), 0x0102, kEncapSuccess);
    EXPECT_EQ(parseRegisterSessionReply(reply), 0x0102u);
    EXPECT_FALSE(parseRegisterSessionReply(
        registerSessionReply(*parseHeader(request), 0x0102, kEncapUnsupportedProtocol)));

    const Bytes cip = encodeRequest(kGetAttributeSingle, Path{kAssemblyClass, 102, 4});
    const Bytes message = sendRRData(0x0102, cip);
    EXPECT_EQ(Bytes(message.begin() + 24, message.begin() + 40),
              (Bytes{0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0xB2, 0, 8, 0}));
    EXPECT_EQ(unconnectedData(message), cip);
    Bytes oneItem = message;
    oneItem[30] = 1;  // item count
    EXPECT_FALSE(unconnectedData(oneItem));
    EXPECT_FALSE(unconnectedData(std::span(message.data(), message.size() - 1)));
}

TEST(EnipPath, EightAndSixteenBitSegments) {
    const struct {
        Path path;
        Bytes bytes;
    } cases[] = {
        {{kAssemblyClass, 102, 4}, {0x20, 0x04, 0x24, 0x66, 0x30, 0x04}},
        {{kIdentityClass, 1, std::nullopt}, {0x20, 0x01, 0x24, 0x01}},
        {{kAssemblyClass, 300, 4}, {0x20, 0x04, 0x25, 0x00, 0x2C, 0x01, 0x30, 0x04}},
        {{0x1234, 0xFFFF, 0x0100},
         {0x21, 0x00, 0x34, 0x12, 0x25, 0x00, 0xFF, 0xFF, 0x31, 0x00, 0x00, 0x01}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(encodePath(c.path), c.bytes);
        EXPECT_EQ(parsePath(c.bytes), c.path);
    }
    const Bytes refused[] = {
        {0x20, 0x04},                                      // no instance
        {0x24, 0x66, 0x20, 0x04},                          // instance before class
        {0x20, 0x04, 0x26, 0, 1, 0, 0, 0},                 // 32-bit instance
        {0x20, 0x04, 0x25, 0x00, 0x2C},                    // 16-bit instance cut short
        {0x20, 0x04, 0x24, 0x66, 0x30, 0x04, 0x30, 0x05},  // two attributes
        {0x91, 0x02, 'a', 'b'},                            // a symbolic segment
    };
    for (const Bytes& path : refused) EXPECT_FALSE(parsePath(path)) << testing::PrintToString(path);
}

TEST(EnipReply, StatusWordsAndNames) {
    const Reply reply{kForwardOpen, kConnectionFailure, {kInvalidOtSize, 70}, {1, 2}};
    const Bytes bytes = encodeReply(reply);
    EXPECT_EQ(bytes, (Bytes{0xD4, 0, 0x01, 2, 0x27, 0x01, 70, 0, 1, 2}));
    EXPECT_EQ(parseReply(bytes), reply);
    EXPECT_FALSE(parseReply(std::span(bytes.data(), 7)));  // status words cut short
    EXPECT_FALSE(parseReply(encodeRequest(kGetAttributeSingle, Path{1, 1, 1})));  // no reply bit
    EXPECT_EQ(generalStatusName(0x05), "path destination unknown");
    EXPECT_EQ(generalStatusName(0x08), "service not supported");
    EXPECT_EQ(generalStatusName(0x14), "attribute not supported");
    EXPECT_EQ(generalStatusName(0x7A), "general status 0x7A");
    EXPECT_EQ(encapsulationStatusName(0x64), "invalid session handle");
}

TEST(EnipForwardOpen, RoundTripAndConnectionPath) {
    ForwardOpen open;
    open.otConnectionId = 0;
    open.toConnectionId = 0x11223344;
    open.connectionSerial = 7;
    open.originatorVendor = 0x0001;
    open.originatorSerial = 0xCAFE;
    open.otParameters = connectionParameters(70);
    open.toParameters = connectionParameters(70);
    open.path = encodeConnectionPath({103, 101, 102});
    const Bytes data = encodeForwardOpen(open);
    EXPECT_EQ(data[26] | (data[27] << 8), 0x4846);  // point to point, scheduled, fixed, 70 bytes
    EXPECT_EQ(data[34], 0x01);                      // class 1
    const auto parsed = parseForwardOpen(data);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, open);
    EXPECT_EQ(parsed->otSize(), 70);
    EXPECT_FALSE(parseForwardOpen(std::span(data.data(), data.size() - 2)));

    // As scanners send it: electronic key first, configuration data last; or input only.
    const Bytes keyed = {0x34, 0x04, 0,    0,    0,    0,    0,    0,    0,    0,    0x20,
                         0x04, 0x24, 0x67, 0x2C, 0x65, 0x2C, 0x66, 0x80, 0x01, 0xAA, 0xBB};
    const auto points = parseConnectionPath(keyed);
    ASSERT_TRUE(points);
    EXPECT_EQ(points->configuration, 103);
    EXPECT_EQ(points->consumed, 101);
    EXPECT_EQ(points->produced, 102);
    const auto inputOnly = parseConnectionPath(Bytes{0x20, 0x04, 0x24, 0x67, 0x2C, 0x66});
    ASSERT_TRUE(inputOnly);
    EXPECT_EQ(inputOnly->consumed, 0);
    EXPECT_EQ(inputOnly->produced, 102);
    EXPECT_FALSE(parseConnectionPath(Bytes{0x20, 0x01, 0x24, 0x67, 0x2C, 0x66}));  // not class 4
    EXPECT_FALSE(parseConnectionPath(Bytes{0x20, 0x04, 0x24, 0x67, 0x2C, 0x66, 0x80, 0x02, 0}));
}

TEST(EnipAssemblies, InputInstancesCarryTheHeaderAndConnectionsTheirOverhead) {
    CConfiguration config;
    config.parameter.assemblySizes = {"10", "20", "0", "256", "0", "0", "0", "1", "7"};
    const auto sizes = assemblySizes(config);
    const std::uint16_t bytes[9] = {14, 20, 0, 260, 0, 0, 4, 1, 7};
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(sizes[i].bytes, bytes[i]) << sizes[i].instance;
        EXPECT_EQ(sizes[i].role, i % 3 == 0   ? AssemblyRole::Input
                                 : i % 3 == 1 ? AssemblyRole::Output
                                              : AssemblyRole::Configuration);
    }
    EXPECT_EQ(sizes[0].bytes - sizes[0].configured, kInputHeaderBytes);
    const auto set = connectionSet(sizes, 101, 102);
    ASSERT_TRUE(set);
    EXPECT_EQ(set->otConnectionSize(), 20 + 2 + 4);
    EXPECT_EQ(set->toConnectionSize(), 14 + 2);
    EXPECT_TRUE(connectionSet(sizes, 0, 122));     // input only
    EXPECT_FALSE(connectionSet(sizes, 111, 102));  // points of two sets
    EXPECT_FALSE(connectionSet(sizes, 101, 103));
}

}  // namespace
}  // namespace kvt::enip
