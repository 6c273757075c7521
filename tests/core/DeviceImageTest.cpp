#include <gtest/gtest.h>

#include <vector>

#include "core/config/DeviceImage.h"

namespace kvt {
namespace {

using Image = std::vector<std::uint8_t>;

Image slice(const Image& image, std::size_t offset, std::size_t n) {
    return Image(image.begin() + static_cast<long>(offset),
                 image.begin() + static_cast<long>(offset + n));
}

void put(Image& image, std::size_t offset, std::initializer_list<std::uint8_t> bytes) {
    for (auto b : bytes) image[offset++] = b;
}

// A configuration whose every carried field differs from the construction defaults.
CConfiguration sampleConfiguration() {
    CConfiguration c;
    c.ethernet.networkName = "gateway-7";
    c.ethernet.ipMethod = 2;
    c.ethernet.ipAddress = "10.1.2.3";
    c.ethernet.subnetMask = "255.255.0.0";
    c.ethernet.gateway = "10.1.0.254";
    c.ethernet.dns1 = "8.8.8.8";
    c.ethernet.dns2 = "8.8.4.4";
    c.advance.userPassword = gbk("用户pw");
    c.advance.adminPassword = "admin-secret";
    c.report = {1, "10.1.0.9", 17000, 300};
    c.parameter.ipSettingMethod = 1;
    c.parameter.reservedParameter = 0x5A;
    c.parameter.assemblySizes = {"32", "16", "0", "500", "-1", "7", "1", "2", "3"};
    return c;
}

TEST(DeviceImage, UserImageLayout) {
    CConfiguration c = sampleConfiguration();
    const Image image = buildImage(c, kUserConfig);
    ASSERT_EQ(image.size(), kUserImageSize);
    EXPECT_EQ(slice(image, 0, 8), (Image{0, 0, 0, 0x26, 0, 0, 0, 0x34}));
    EXPECT_EQ(slice(image, 8, 4), (Image{0, 0, 0, 2}));
    EXPECT_EQ(slice(image, 12, 20),
              (Image{10, 1, 2, 3, 255, 255, 0, 0, 10, 1, 0, 254, 8, 8, 8, 8, 8, 8, 4, 4}));
    Image password(20, 0);
    const Gbk pw = gbk("用户pw");
    std::copy(pw.begin(), pw.end(), password.begin());
    EXPECT_EQ(slice(image, 32, 20), password);
    EXPECT_EQ(slice(image, 52, 8), (Image{10, 1, 0, 9, 0x42, 0x68, 0x01, 0x2C}));
}

TEST(DeviceImage, BackgroundImageLayout) {
    const Image image = buildImage(sampleConfiguration(), kBackgroundConfig);
    ASSERT_EQ(image.size(), kBackgroundImageSize);
    EXPECT_EQ(slice(image, 0, 8), (Image{0, 0, 0, 0x06, 0, 0, 0, 0x9C}));
    EXPECT_EQ(slice(image, 8, 8), (Image{0, 0, 0, 2, 10, 1, 2, 3}));
    EXPECT_EQ(slice(image, 32, 10), (Image{'g', 'a', 't', 'e', 'w', 'a', 'y', '-', '7', 0}));
    EXPECT_EQ(image[52], gbk("用")[0] & 0xFF);
    EXPECT_EQ(slice(image, 72, 13),
              (Image{'a', 'd', 'm', 'i', 'n', '-', 's', 'e', 'c', 'r', 'e', 't', 0}));
    EXPECT_EQ(slice(image, 92, 24), (Image{0, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0,
                                           0, 0, 0, 0,    0, 0, 0, 0, 0, 0, 0, 0x5A}));
    EXPECT_EQ(slice(image, 116, 8), (Image{10, 1, 0, 9, 0x42, 0x68, 0x01, 0x2C}));
    EXPECT_EQ(slice(image, 124, 40),
              (Image{0, 0, 0, 32, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 1, 0xF4, 0xFF, 0xFF, 0xFF, 0xFF,
                     0, 0, 0, 7,  0, 0, 0, 1,  0, 0, 0, 2, 0, 0, 0, 3,    0,    0,    0,    0}));
}

TEST(DeviceImage, DefaultAssemblySizesAndDisabledReport) {
    CConfiguration c = newConfiguration(kBackgroundConfig);
    const Image image = buildImage(c, kBackgroundConfig);
    EXPECT_EQ(slice(image, 124, 8), (Image{0, 0, 0, 0x40, 0, 0, 0, 0x40}));
    EXPECT_EQ(slice(image, 116, 8), Image(8, 0));
    EXPECT_EQ(slice(buildImage(c, kUserConfig), 52, 8), Image(8, 0));

    CConfiguration parsed;
    ASSERT_TRUE(parseImage(buildImage(c, kUserConfig), kUserConfig, parsed));
    EXPECT_EQ(parsed.report, IPReport{});
    EXPECT_EQ(parsed.report.port, 16800);
    EXPECT_EQ(parsed.report.period, 10);
}

TEST(DeviceImage, OtherKindsBuildNothingAndParseNothing) {
    // Only a cast makes such a kind.
    EXPECT_TRUE(buildImage(sampleConfiguration(), static_cast<ConfigKind>(2)).empty());
    EXPECT_TRUE(buildImage(sampleConfiguration(), static_cast<ConfigKind>(-1)).empty());
    CConfiguration c = sampleConfiguration();
    EXPECT_FALSE(parseImage(buildImage(c, kUserConfig), static_cast<ConfigKind>(2), c));
    EXPECT_EQ(c, sampleConfiguration());
}

TEST(DeviceImage, RoundTripBothKinds) {
    const CConfiguration source = sampleConfiguration();

    CConfiguration user;
    ASSERT_TRUE(parseImage(buildImage(source, kUserConfig), kUserConfig, user));
    CConfiguration expectedUser;  // what the user image does not carry keeps its defaults
    expectedUser.ethernet = source.ethernet;
    expectedUser.ethernet.networkName.clear();
    expectedUser.advance.userPassword = source.advance.userPassword;
    expectedUser.report = source.report;
    EXPECT_EQ(user, expectedUser);
    EXPECT_EQ(user.advance.adminPassword, "");

    CConfiguration background;
    ASSERT_TRUE(parseImage(buildImage(source, kBackgroundConfig), kBackgroundConfig, background));
    CConfiguration expectedBackground = source;
    expectedBackground.identity = CEquipment{};
    expectedBackground.productCode = 0;
    EXPECT_EQ(background, expectedBackground);
}

TEST(DeviceImage, UnacceptedAddressesTakeDefaults) {
    Image image(kBackgroundImageSize, 0);
    for (std::size_t offset = 12; offset < 32; ++offset) image[offset] = 0xFF;
    put(image, 116, {0xFF, 0xFF, 0xFF, 0xFF, 0x1F, 0x40, 0, 5});
    CConfiguration c;
    ASSERT_TRUE(parseImage(image, kBackgroundConfig, c));
    EXPECT_EQ(c.ethernet.ipAddress, "192.168.0.15");
    EXPECT_EQ(c.ethernet.subnetMask, "255.255.255.0");
    EXPECT_EQ(c.ethernet.gateway, "192.168.0.1");
    EXPECT_EQ(c.ethernet.dns1, "0.0.0.0");
    EXPECT_EQ(c.ethernet.dns2, "0.0.0.0");
    EXPECT_EQ(c.report, (IPReport{1, "", 8000, 5}));
}

TEST(DeviceImage, IpMethodOutOfRangeBecomesDhcp) {
    struct Case {
        std::initializer_list<std::uint8_t> bytes;
        std::int32_t stored;
    };
    const Case cases[] = {
        {{0, 0, 0, 0}, 0},
        {{0, 0, 0, 2}, 2},
        {{0, 0, 0, 7}, 1},
        {{0, 0, 1, 0}, 1},  // only byte 11 looked at would give 0
        {{0xFF, 0xFF, 0xFF, 0xFF}, 1},
    };
    for (const auto& tc : cases) {
        Image image(kUserImageSize, 0);
        put(image, 8, tc.bytes);
        CConfiguration c;
        ASSERT_TRUE(parseImage(image, kUserConfig, c));
        EXPECT_EQ(c.ethernet.ipMethod, tc.stored) << int(*(tc.bytes.begin() + 2));
        EXPECT_EQ(buildImage(c, kUserConfig)[11], tc.stored);
    }
}

TEST(DeviceImage, IpSettingMethodByte95) {
    struct Case {
        std::uint8_t wire;
        std::int32_t before;
        std::int32_t after;
        std::uint8_t rebuilt;
    };
    const Case cases[] = {
        {0x01, 1, 0, 0x01}, {0xFF, 0, 1, 0xFF},
        {0x00, 0, 0, 0x01}, {0x00, 1, 1, 0xFF},  // unknown codes leave the field as it was
        {0x02, 0, 0, 0x01},
    };
    for (const auto& tc : cases) {
        Image image(kBackgroundImageSize, 0);
        image[95] = tc.wire;
        CConfiguration c;
        c.parameter.ipSettingMethod = tc.before;
        ASSERT_TRUE(parseImage(image, kBackgroundConfig, c));
        EXPECT_EQ(c.parameter.ipSettingMethod, tc.after) << int(tc.wire);
        EXPECT_EQ(buildImage(c, kBackgroundConfig)[95], tc.rebuilt) << int(tc.wire);
    }
    CConfiguration odd;
    odd.parameter.ipSettingMethod = 2;
    EXPECT_EQ(buildImage(odd, kBackgroundConfig)[95], 0x00);
}

TEST(DeviceImage, ReportPeriodDecidesEnabled) {
    Image image(kUserImageSize, 0);
    put(image, 52, {192, 168, 0, 200, 0x41, 0xA0, 0x01, 0x00});
    CConfiguration c;
    ASSERT_TRUE(parseImage(image, kUserConfig, c));
    EXPECT_EQ(c.report, (IPReport{1, "192.168.0.200", 16800, 256}));

    // Address and port without a period: the report is off and nothing else is taken.
    put(image, 52, {192, 168, 0, 200, 0x00, 0x50, 0, 0});
    CConfiguration off;
    ASSERT_TRUE(parseImage(image, kUserConfig, off));
    EXPECT_EQ(off.report, IPReport{});
}

TEST(DeviceImage, FullWidthTextsHaveNoTerminator) {
    CConfiguration c;
    c.advance.userPassword = "ABCDEFGHIJKLMNOPQRST";
    const Image image = buildImage(c, kUserConfig);
    EXPECT_EQ(slice(image, 32, 20),
              Image(c.advance.userPassword.begin(), c.advance.userPassword.end()));
    CConfiguration parsed;
    ASSERT_TRUE(parseImage(image, kUserConfig, parsed));
    EXPECT_EQ(parsed.advance.userPassword, c.advance.userPassword);

    // A full name field followed by non-zero bytes reads exactly 20 bytes.
    Image background(kBackgroundImageSize, 0);
    for (std::size_t i = 32; i < 92; ++i) background[i] = static_cast<std::uint8_t>('a' + i % 26);
    CConfiguration b;
    ASSERT_TRUE(parseImage(background, kBackgroundConfig, b));
    EXPECT_EQ(b.ethernet.networkName.size(), 20u);
    EXPECT_EQ(b.advance.userPassword.size(), 20u);
    EXPECT_EQ(b.ethernet.networkName.front(), 'a' + 32 % 26);
}

TEST(DeviceImage, LongTextsAreCutOnCharacterBoundary) {
    struct Case {
        Gbk text;
        std::size_t kept;
    };
    const Case cases[] = {
        {gbk("中文字符中文字符中文字符"), 20},        // 24 bytes, cut between characters
        {"a" + gbk("中文字符中文字符中文字符"), 19},  // byte 20 would split a character
        {std::string(25, 'x'), 20},
    };
    for (const auto& tc : cases) {
        CConfiguration c;
        c.ethernet.networkName = tc.text;
        c.advance.userPassword = "pw";
        const Image image = buildImage(c, kBackgroundConfig);
        EXPECT_EQ(slice(image, 32, tc.kept), Image(tc.text.begin(), tc.text.begin() + tc.kept));
        EXPECT_EQ(slice(image, 32 + tc.kept, 20 - tc.kept), Image(20 - tc.kept, 0));
        EXPECT_EQ(slice(image, 52, 3), (Image{'p', 'w', 0}));  // next field untouched
    }
}

TEST(DeviceImage, AddressTextsNeverWriteOutsideTheirField) {
    struct Case {
        const char* text;
        Image bytes;
    };
    const Case cases[] = {
        {"1.2.3.4.5.6", {1, 2, 3, 4}},  // parts past the fourth are ignored
        {"10.20.30", {10, 20, 30, 0}},
        {"nodots", {0, 0, 0, 0}},
        {"300.x.7a.", {44, 0, 7, 0}},  // low byte; no digits gives 0
        {"", {0, 0, 0, 0}},
    };
    for (const auto& tc : cases) {
        CConfiguration c;
        c.ethernet.dns1 = tc.text;
        c.ethernet.dns2 = "9.9.9.9";
        const Image image = buildImage(c, kUserConfig);
        EXPECT_EQ(slice(image, 24, 4), tc.bytes) << tc.text;
        EXPECT_EQ(slice(image, 28, 4), (Image{9, 9, 9, 9})) << tc.text;
    }
}

TEST(DeviceImage, ShortImageReadsZerosPastItsEnd) {
    const Image full = buildImage(sampleConfiguration(), kBackgroundConfig);
    for (std::size_t length : {0u, 7u, 14u, 40u, 96u, 118u, 122u, 130u, 163u}) {
        Image truncated(full.begin(), full.begin() + static_cast<long>(length));
        Image padded = truncated;
        padded.resize(kBackgroundImageSize, 0);
        for (ConfigKind kind : {kUserConfig, kBackgroundConfig}) {
            CConfiguration fromShort;
            CConfiguration fromPadded;
            ASSERT_TRUE(parseImage(truncated, kind, fromShort));
            ASSERT_TRUE(parseImage(padded, kind, fromPadded));
            EXPECT_EQ(fromShort, fromPadded) << length << " kind " << kindNumber(kind);
        }
    }
    CConfiguration empty;
    ASSERT_TRUE(parseImage({}, kUserConfig, empty));
    EXPECT_EQ(empty.ethernet.ipAddress, "0.0.0.0");
    EXPECT_EQ(empty.ethernet.ipMethod, 0);
    EXPECT_EQ(empty.report.enabled, 0);
}

TEST(DeviceImage, AddressAcceptedFollowsInetAddr) {
    struct Case {
        Gbk text;
        bool accepted;
    };
    const Case cases[] = {
        {"192.168.0.15", true},
        {"0.0.0.0", true},
        {"255.255.255.254", true},
        {"255.255.255.255", false},
        {"256.1.1.1", false},
        {"1.2.3.4x", false},
        {"", false},
        {"abc", false},
        {"1.2.3.4.5", false},
        {Gbk("1.2.3.4\0x", 9), false},
    };
    for (const auto& tc : cases) EXPECT_EQ(addressAccepted(tc.text), tc.accepted) << tc.text;
}

}  // namespace
}  // namespace kvt
