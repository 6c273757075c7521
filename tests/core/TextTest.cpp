#include <gtest/gtest.h>

#include <cstdint>
#include <set>

#include "core/platform/Gbk.h"
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

// FNV-1a over everything the codec says about the whole table: every one-byte and every
// lead-byte-plus-any-byte sequence decoded, every BMP character encoded, each with where it
// stopped and what it gave. Linux (iconv) and Windows (code page 936) must give the same.
class TableDigest {
public:
    void add(std::string_view bytes) {
        for (char c : bytes) {
            m_hash = (m_hash ^ static_cast<unsigned char>(c)) * 0x100000001B3U;
        }
        m_hash = (m_hash ^ 0xFFu) * 0x100000001B3U;  // ends each field
    }
    void add(const std::optional<std::size_t>& stop, const std::string& out) {
        add(stop ? std::to_string(*stop) : "all");
        add(out);
        m_accepted += !stop;
    }
    std::uint64_t hash() const { return m_hash; }
    int accepted() const { return m_accepted; }

private:
    std::uint64_t m_hash = 0xCBF29CE484222325U;
    int m_accepted = 0;
};

std::string utf8Of(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

TEST(GbkTable, BothSystemsCodecsAgreeOnEveryCharacter) {
    TableDigest decoded;
    for (int lead = 0; lead < 256; ++lead) {
        for (int trail = -1; trail < 256; ++trail) {
            if (trail >= 0 && (lead < 0x81 || lead > 0xFE)) continue;
            std::string in(1, static_cast<char>(lead));
            if (trail >= 0) in += static_cast<char>(trail);
            std::string out;
            const auto stop = platform::gbkToUtf8(in, out);
            decoded.add(stop, out);
        }
    }
    TableDigest encoded;
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c < 0xE000) continue;  // surrogates are no characters
        std::string out;
        const auto stop = platform::utf8ToGbk(utf8Of(c), out);
        encoded.add(stop, out);
    }
    // The user-defined areas decode to nothing on either system.
    std::string out;
    EXPECT_EQ(platform::gbkToUtf8("\xAA\xA1", out), 0u);
    EXPECT_EQ(platform::utf8ToGbk(utf8Of(0xE000), out), 0u);
    EXPECT_EQ(decoded.accepted(), 21920);
    EXPECT_EQ(encoded.accepted(), 21920);
    EXPECT_EQ(decoded.hash(), 0xA3BA4709D79D1F8AU);
    EXPECT_EQ(encoded.hash(), 0x1C49FF318E1760D9U);
}

TEST(GbkTable, CharsetsOfTheTerminal) {
    std::string out;
    EXPECT_TRUE(platform::charsetToGbk("网关", "UTF-8", out));
    EXPECT_EQ(out, gbk("网关"));
    out.clear();
    EXPECT_FALSE(platform::charsetToGbk("\xFF", "UTF-8", out));
    EXPECT_FALSE(platform::charsetToGbk("a", "no-such-charset", out));
    out.clear();
    // Latin-1 e-acute is in GBK; a code page number is how Windows names its console's.
    EXPECT_TRUE(platform::charsetToGbk("\xE9", "CP1252", out));
    EXPECT_EQ(out, gbk("é"));
}

}  // namespace
}  // namespace kvt
