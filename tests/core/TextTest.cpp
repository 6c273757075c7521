#include <gtest/gtest.h>

#include <set>

#include "core/text/Gbk.h"
#include "core/text/UiText.h"

namespace kvt {
namespace {

TEST(UiText, HoldsExactlyTheProductsIds) {
    std::set<std::uint32_t> ids;
    for (const auto& entry : detail::kUiTextEntries) ids.insert(entry.id);
    EXPECT_EQ(ids.size(), kUiTextCount);
    EXPECT_EQ(detail::kUiTextEntries[0].id, 170u);
    EXPECT_EQ(detail::kUiTextEntries[3].id, 99u);
    EXPECT_FALSE(ids.contains(4182));
    EXPECT_FALSE(ids.contains(4183));
    EXPECT_TRUE(ids.contains(2001));
    EXPECT_TRUE(ids.contains(15004));
}

TEST(UiText, LookupRule) {
    EXPECT_EQ(uiText(4182), "");
    EXPECT_EQ(uiText(4183), "");
    EXPECT_EQ(uiText(172), "");
    EXPECT_EQ(uiText(173), "");
    EXPECT_EQ(uiText(8002), uiText(4010));
    EXPECT_EQ(uiText(4010), gbk("有"));
    EXPECT_EQ(uiTextUtf8(8000), "其它设备");
    EXPECT_EQ(uiTextUtf8(4052), "网络名称\t\t");
    EXPECT_EQ(uiTextUtf8(4054), "静态配置\n");
    EXPECT_EQ(uiTextUtf8(175), "使用串口（UART）设置");
}

TEST(UiText, EveryTextIsGbk) {
    for (const auto& entry : detail::kUiTextEntries) {
        EXPECT_TRUE(utf8ToGbk(entry.utf8).has_value()) << entry.id;
    }
}

TEST(Gbk, RoundTripAndLengths) {
    const Gbk name = gbk("网关A1");
    EXPECT_EQ(name.size(), 6u);  // two bytes per Chinese character
    EXPECT_EQ(gbkToUtf8(name), "网关A1");
}

TEST(Gbk, RefusesWhatItCannotHold) {
    GbkError error;
    EXPECT_FALSE(utf8ToGbk("ok😀", &error).has_value());
    EXPECT_EQ(error.offset, 2u);
    EXPECT_EQ(error.character, "😀");
    EXPECT_FALSE(utf8ToGbk("\xC3\x28").has_value());  // malformed UTF-8
}

TEST(Gbk, InvalidBytesBecomeReplacementCharacters) {
    EXPECT_EQ(gbkToUtf8(std::string("a\xFF"
                                    "b")),
              "a\xEF\xBF\xBD"
              "b");
}

TEST(Gbk, CutNeverSplitsACharacter) {
    const Gbk text = "a" + gbk("网网网网网网网网网网");  // 21 bytes
    EXPECT_EQ(gbkCutLength(text, 20), 19u);
    EXPECT_EQ(gbkCutLength(gbk("网网网网网网网网网网"), 20), 20u);
    EXPECT_EQ(gbkCutLength("abc", 20), 3u);
}

}  // namespace
}  // namespace kvt
