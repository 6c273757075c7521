#include <gtest/gtest.h>

#include <vector>

#include "core/config/DeviceTexts.h"
#include "core/discovery/DiscoveryCodec.h"
#include "core/text/UiText.h"

namespace kvt {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct ReplyFields {
    std::array<std::uint8_t, 3> product = {0x02, 0x0B, 0xD7};
    std::array<std::uint8_t, 4> firmware = {0, 1, 0, 0x0A};
    std::array<std::uint8_t, 6> mac = {0x00, 0x1A, 0xAB, 0xCD, 0xEF, 0x09};
    std::array<std::uint8_t, 4> ip = {192, 168, 1, 77};
    std::uint8_t flags = 0;
    std::string name = "GW-1";
    std::array<std::uint8_t, 4> permission = {0, 0, 0, 1};
};

Bytes makeReply(const ReplyFields& f) {
    Bytes reply(kDiscoveryReplySize, 0xEE);  // uninterpreted bytes carry noise
    reply[0] = reply[1] = reply[2] = 0;
    reply[3] = 3;
    std::copy(f.product.begin(), f.product.end(), reply.begin() + 9);
    std::copy(f.firmware.begin(), f.firmware.end(), reply.begin() + 24);
    std::copy(f.mac.begin(), f.mac.end(), reply.begin() + 28);
    std::copy(f.ip.begin(), f.ip.end(), reply.begin() + 36);
    reply[43] = f.flags;
    std::fill(reply.begin() + 44, reply.begin() + 64, 0);
    std::copy(f.name.begin(), f.name.end(), reply.begin() + 44);
    std::copy(f.permission.begin(), f.permission.end(), reply.begin() + 64);
    return reply;
}

TEST(DiscoveryCodec, Query) {
    EXPECT_EQ(discoveryQuery(), (std::array<std::uint8_t, 8>{0, 0, 0, 3, 0, 0, 0, 0}));
}

TEST(DiscoveryCodec, BroadcastReplyOfKvt275r) {
    const auto record = parseBroadcastReply(makeReply({}), 1);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->rowNumber, " 1");
    EXPECT_EQ(record->name, "GW-1");
    EXPECT_EQ(record->productCode, kProductKvt275r);
    EXPECT_EQ(modelText(*record), "KVT-275R");
    EXPECT_EQ(record->ipAddress, "192.168.1.77");
    EXPECT_EQ(record->macAddress, "00-1a-ab-cd-ef-09");
    EXPECT_EQ(record->firmwareVersion, "1.10");
    EXPECT_EQ(record->fileVersion, "");
    EXPECT_EQ(record->remoteConfig, RemoteConfig::Allowed);
    EXPECT_EQ(remoteConfigText(*record), uiText(8004));
}

TEST(DiscoveryCodec, RowNumbersArePaddedToTwo) {
    const Bytes reply = makeReply({});
    EXPECT_EQ(parseBroadcastReply(reply, 9)->rowNumber, " 9");
    EXPECT_EQ(parseBroadcastReply(reply, 10)->rowNumber, "10");
    EXPECT_EQ(parseBroadcastReply(reply, 123)->rowNumber, "123");
}

TEST(DiscoveryCodec, PasswordFlagsAndPermission) {
    const Gbk yes = gbk("有");
    const Gbk no = gbk("无");
    struct Case {
        std::uint8_t flags;
        Gbk user;
        Gbk admin;
    };
    for (const auto& tc : {Case{0x00, no, no}, Case{0x01, yes, no}, Case{0x02, no, yes},
                           Case{0x03, yes, yes}, Case{0xFC, no, no}}) {
        ReplyFields f;
        f.flags = tc.flags;
        const auto broadcast = parseBroadcastReply(makeReply(f), 1);
        const auto addressed = parseAddressedReply(makeReply(f));
        ASSERT_TRUE(broadcast && addressed);
        EXPECT_EQ(passwordSetText(broadcast->userPasswordSet), tc.user) << int(tc.flags);
        EXPECT_EQ(passwordSetText(broadcast->adminPasswordSet), tc.admin) << int(tc.flags);
        EXPECT_EQ(passwordSetText(addressed->userPasswordSet), tc.user) << int(tc.flags);
        EXPECT_EQ(passwordSetText(addressed->adminPasswordSet), tc.admin) << int(tc.flags);
        EXPECT_EQ(broadcast->userPasswordSet, tc.user == yes) << int(tc.flags);
        EXPECT_EQ(addressed->adminPasswordSet, tc.admin == yes) << int(tc.flags);
    }

    struct Permission {
        std::array<std::uint8_t, 4> bytes;
        bool allowed;
    };
    for (const auto& tc : {Permission{{0, 0, 0, 1}, true}, Permission{{1, 0, 0, 0}, false},
                           Permission{{0, 0, 0, 2}, false}, Permission{{0, 0, 1, 1}, false}}) {
        ReplyFields f;
        f.permission = tc.bytes;
        EXPECT_EQ(remoteConfigText(*parseBroadcastReply(makeReply(f), 1)),
                  gbk(tc.allowed ? "允许远程配置" : "禁止远程配置"));
        EXPECT_EQ(remoteConfigText(*parseAddressedReply(makeReply(f))),
                  uiText(tc.allowed ? 4012 : 4013));
        EXPECT_EQ(parseAddressedReply(makeReply(f))->remoteForbidden(), !tc.allowed);
    }
}

TEST(DiscoveryCodec, NameFieldBounds) {
    ReplyFields f;
    f.name = "ABCDEFGHIJKLMNOPQRST";  // fills the field; the permission bytes follow directly
    f.permission = {0x41, 0, 0, 0};
    EXPECT_EQ(parseBroadcastReply(makeReply(f), 1)->name, "ABCDEFGHIJKLMNOPQRST");
    f.name = "";
    EXPECT_EQ(parseBroadcastReply(makeReply(f), 1)->name, "");
}

TEST(DiscoveryCodec, OtherProductsByForm) {
    ReplyFields f;
    f.product = {0x02, 0x0B, 0xD8};
    const auto broadcast = parseBroadcastReply(makeReply(f), 2);
    ASSERT_TRUE(broadcast);
    EXPECT_EQ(broadcast->productCode, 0x020BD8u);
    EXPECT_EQ(nameText(*broadcast), gbk("不支持设备"));
    EXPECT_EQ(modelText(*broadcast), gbk("其它设备"));
    EXPECT_EQ(broadcast->ipAddress, "192.168.1.77");  // the rest is still read

    const auto addressed = parseAddressedReply(makeReply(f));
    ASSERT_TRUE(addressed);
    EXPECT_EQ(addressed->rowNumber, "1");
    EXPECT_EQ(nameText(*addressed), gbk("不支持设备"));
    EXPECT_EQ(modelText(*addressed), gbk("不支持设备"));
}

TEST(DiscoveryCodec, BroadcastAcceptsOnlyLongEnoughRepliesWithCode3) {
    const Bytes reply = makeReply({});
    EXPECT_FALSE(parseBroadcastReply(Bytes(reply.begin(), reply.begin() + 15), 1));
    EXPECT_TRUE(parseBroadcastReply(Bytes(reply.begin(), reply.begin() + 16), 1));
    Bytes wrong = reply;
    wrong[3] = 4;
    EXPECT_FALSE(parseBroadcastReply(wrong, 1));
    wrong = reply;
    wrong[0] = 1;  // code 0x01000003
    EXPECT_FALSE(parseBroadcastReply(wrong, 1));
}

TEST(DiscoveryCodec, ShortRepliesReadZerosPastTheirEnd) {
    const Bytes reply = makeReply({});
    // 30 bytes: product, firmware and the first two MAC bytes arrived.
    const auto partial = parseBroadcastReply(Bytes(reply.begin(), reply.begin() + 30), 1);
    ASSERT_TRUE(partial);
    EXPECT_EQ(modelText(*partial), "KVT-275R");
    EXPECT_EQ(partial->firmwareVersion, "1.10");
    EXPECT_EQ(partial->macAddress, "00-1a-00-00-00-00");
    EXPECT_EQ(partial->ipAddress, "0.0.0.0");
    EXPECT_EQ(partial->name, "");
    EXPECT_EQ(passwordSetText(partial->userPasswordSet), gbk("无"));
    EXPECT_EQ(remoteConfigText(*partial), gbk("禁止远程配置"));

    const auto minimal = parseAddressedReply(Bytes{0, 0, 0, 3});
    ASSERT_TRUE(minimal);
    EXPECT_EQ(minimal->rowNumber, "1");
    EXPECT_EQ(minimal->ipAddress, "0.0.0.0");
    EXPECT_EQ(minimal->firmwareVersion, "0.0");
    EXPECT_EQ(minimal->macAddress, "00-00-00-00-00-00");
    EXPECT_EQ(modelText(*minimal), gbk("不支持设备"));
    EXPECT_FALSE(parseAddressedReply(Bytes{0, 0, 0}));
    EXPECT_FALSE(parseAddressedReply(Bytes{0, 0, 0, 2}));
}

TEST(DiscoveryCodec, BytesPastTheReplySizeAreIgnored) {
    Bytes longer = makeReply({});
    longer.resize(100, 0x55);
    EXPECT_EQ(*parseBroadcastReply(longer, 1), *parseBroadcastReply(makeReply({}), 1));
}

}  // namespace
}  // namespace kvt
