#include "core/text/UiText.h"

#include <array>

namespace kvt {
namespace {

// GBK copies are made once, on first use, in table order.
const std::array<Gbk, kUiTextCount>& gbkTexts() {
    static const std::array<Gbk, kUiTextCount> texts = [] {
        std::array<Gbk, kUiTextCount> out;
        for (std::uint32_t i = 0; i < kUiTextCount; ++i) {
            const char* utf8 = detail::kUiTextEntries[i].utf8;
            out[i] = utf8 ? gbk(utf8) : Gbk();
        }
        return out;
    }();
    return texts;
}

}  // namespace

Gbk uiText(std::uint32_t id) {
    const auto& texts = gbkTexts();
    for (std::uint32_t i = 0; i < kUiTextCount; ++i) {
        if (detail::kUiTextEntries[i].id == id) return texts[i];
    }
    return {};
}

std::string uiTextUtf8(std::uint32_t id, Lang lang) {
    for (const detail::UiTextEntry& entry : detail::kUiTextEntries) {
        if (entry.id == id) return lang == Lang::En ? entry.en : entry.utf8;
    }
    return {};
}

Gbk stringResource(int id, Lang lang) {
    const bool zh = lang == Lang::Zh;
    switch (id) {
        case 92:
            return zh ? "KVT-640_V10_UM.chm" : "KVT-640_V10_EN.chm";
        case 93:
            return zh ? gbk("用户密码\t") : "Password\t";
        case 111:
            return zh ? gbk("用户密码") : "Password";
        case 161:
            return zh ? gbk("管理员密码\t") : "Admin_Password\t";
        case 162:
            return zh ? gbk("管理员密码") : "Admin_Password";
        case 101:
            return zh ? gbk("关于 KVT-640(&A)...") : "&About KVT-640...";
        default:
            return {};
    }
}

}  // namespace kvt
