#include <gtest/gtest.h>

#include "core/device/Messages.h"

namespace kvt {
namespace {

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes text(std::string_view s, std::size_t width) {
    Bytes out(s.begin(), s.end());
    out.resize(width, 0);
    return out;
}

const Bytes kTag = text("Kelvarin", 8);

TEST(Messages, Requests) {
    EXPECT_EQ(readRequest(kUserConfig), (Bytes{0, 0, 0, 0x25, 0, 0, 0, 0}));
    EXPECT_EQ(readRequest(kBackgroundConfig), (Bytes{0, 0, 0, 0x05, 0, 0, 0, 0}));
    EXPECT_TRUE(readRequest(static_cast<ConfigKind>(2)).empty());  // only a cast makes one
    EXPECT_EQ(resetRequest(), concat({{0, 0, 0, 0x0A, 0, 0, 0, 8}, kTag}));
    EXPECT_EQ(passwordCheckRequest(kUserConfig, "abc"),
              concat({{0, 0, 0, 0x27, 0, 0, 0, 20}, text("abc", 20)}));
    EXPECT_EQ(passwordCheckRequest(kBackgroundConfig, "abc"),
              concat({{0, 0, 0, 0x07, 0, 0, 0, 28}, kTag, text("abc", 20)}));
    EXPECT_TRUE(passwordCheckRequest(static_cast<ConfigKind>(3), "abc").empty());
}

TEST(Messages, PasswordFieldWidth) {
    const std::string full = "ABCDEFGHIJKLMNOPQRST";
    EXPECT_EQ(passwordCheckRequest(kUserConfig, full),
              concat({{0, 0, 0, 0x27, 0, 0, 0, 20}, text(full, 20)}));
    // 21 bytes whose last character would straddle the field end: it is left out whole.
    const Gbk cjk = "a" + gbk("密码密码密码密码密码");
    const Bytes message = passwordCheckRequest(kBackgroundConfig, cjk);
    ASSERT_EQ(message.size(), 36u);
    EXPECT_EQ(message, concat({{0, 0, 0, 0x07, 0, 0, 0, 28},
                               kTag,
                               text(std::string_view(cjk).substr(0, 19), 20)}));
}

TEST(Messages, ReplyChecks) {
    const Bytes userOk = {0, 0, 0, 0x27, 0, 0, 0, 8, 1, 2, 3, 4, 5, 6, 7, 8};
    const Bytes adminOk = {0, 0, 0, 0x07, 0, 0, 0, 8, 0xFF, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_TRUE(passwordAccepted(userOk, kUserConfig));
    EXPECT_FALSE(passwordAccepted(userOk, kBackgroundConfig));
    EXPECT_TRUE(passwordAccepted(adminOk, kBackgroundConfig));
    EXPECT_FALSE(passwordAccepted(adminOk, kUserConfig));
    EXPECT_FALSE(passwordAccepted(Bytes{0, 0, 0, 0x27, 0, 0, 0, 9}, kUserConfig));
    EXPECT_FALSE(passwordAccepted(Bytes{0, 0, 0, 0x27, 0, 0, 0}, kUserConfig));
    EXPECT_FALSE(passwordAccepted(Bytes(16, 0), kUserConfig));
    EXPECT_FALSE(passwordAccepted(userOk, static_cast<ConfigKind>(2)));

    EXPECT_TRUE(replyCodeIs(Bytes{0, 0, 0, 0x0A, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}, kCmdReset));
    EXPECT_FALSE(replyCodeIs(Bytes{0, 0, 1, 0x0A}, kCmdReset));
    EXPECT_FALSE(replyCodeIs(Bytes{0, 0, 0}, 0));  // a short reply never matches
    EXPECT_TRUE(replyCodeIs(Bytes{0, 0, 0, 0x26}, kCmdWriteUser));
    EXPECT_EQ(readBigEndian32(Bytes{0x12, 0x34, 0x56, 0x78, 0x9A}, 1), 0x3456789Au);
    EXPECT_EQ(readBigEndian32(Bytes{0x12, 0x34}, 0), 0x12340000u);
}

Bytes image(std::uint16_t payload) {
    Bytes out(8u + payload);
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<std::uint8_t>(i * 7 + 1);
    out[6] = static_cast<std::uint8_t>(payload >> 8);
    out[7] = static_cast<std::uint8_t>(payload);
    return out;
}

TEST(ImageAccumulator, AssemblesSegmentsUntilTheAnnouncedLength) {
    const Bytes whole = image(52);
    ImageAccumulator acc;
    EXPECT_FALSE(acc.complete());
    struct Step {
        std::size_t from, to;
        bool complete;
    };
    // 0 bytes (a failed or closed receive) in between must leave no gap.
    for (const Step& s : {Step{0, 5, false}, Step{5, 5, false}, Step{5, 12, false},
                          Step{12, 59, false}, Step{59, 60, true}}) {
        acc.append(std::span(whole).subspan(s.from, s.to - s.from));
        EXPECT_EQ(acc.complete(), s.complete) << s.to;
    }
    EXPECT_EQ(acc.bytes(), whole);
}

TEST(ImageAccumulator, HeaderOnlyAndOvershoot) {
    ImageAccumulator headerOnly;
    headerOnly.append(Bytes{0, 0, 0, 5, 0, 0, 0});
    EXPECT_FALSE(headerOnly.complete());
    headerOnly.append(Bytes{0});
    EXPECT_TRUE(headerOnly.complete());

    // A device that sends more than it announced: complete, extra bytes kept up to the limit.
    ImageAccumulator more;
    const Bytes big = image(1000);
    more.append(big);
    more.append(big);
    EXPECT_TRUE(more.complete());
    ASSERT_EQ(more.bytes().size(), kAccumulationLimit);
    EXPECT_TRUE(std::equal(big.begin(), big.end(), more.bytes().begin()));
    more.append(big);
    EXPECT_EQ(more.bytes().size(), kAccumulationLimit);

    // An announced length beyond the limit can never be met.
    ImageAccumulator never;
    never.append(image(1300));
    EXPECT_EQ(never.bytes().size(), kAccumulationLimit);
    EXPECT_FALSE(never.complete());
}

TEST(ImageAccumulator, OlderProductsWaitForTheFullBuffer) {
    ImageAccumulator legacy(true);
    legacy.append(image(52));
    EXPECT_FALSE(legacy.complete());
    EXPECT_EQ(legacy.bytes().size(), 60u);
    legacy.append(Bytes(kAccumulationLimit, 0x11));
    EXPECT_TRUE(legacy.complete());
    EXPECT_EQ(legacy.bytes().size(), kAccumulationLimit);
}

}  // namespace
}  // namespace kvt
