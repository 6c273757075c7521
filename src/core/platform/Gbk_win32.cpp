#include <windows.h>

#include <cctype>
#include <charconv>

#include "core/platform/Gbk.h"

namespace kvt::platform {

namespace {

constexpr UINT kGbkCodePage = 936;

// Code page 936 gives the user-defined areas of GBK private-use code points; the Linux codec
// refuses those bytes, and a configuration must mean the same on both.
bool privateUse(wchar_t c) {
    return c >= 0xE000 && c <= 0xF8FF;
}

bool isAscii(unsigned char byte) {
    return byte < 0x80;
}

// UTF-16 -> UTF-8 of one character (a BMP one or a surrogate pair).
bool appendUtf8(const wchar_t* utf16, int length, std::string& out) {
    char buffer[8];
    const int n = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, utf16, length, buffer,
                                        sizeof buffer, nullptr, nullptr);
    if (n <= 0) return false;
    out.append(buffer, static_cast<std::size_t>(n));
    return true;
}

// The length of the UTF-8 sequence that `lead` starts; 0 for a byte that starts none.
std::size_t utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// One UTF-8 character -> its GBK bytes, false when GBK cannot hold it (or it is malformed).
bool encodeOne(std::string_view utf8, std::string& out) {
    wchar_t wide[2];
    const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                        static_cast<int>(utf8.size()), wide, 2);
    // Two UTF-16 units: outside the BMP, where GBK has nothing.
    if (n != 1 || privateUse(wide[0])) return false;
    char gbk[4];
    BOOL usedDefault = FALSE;
    // Without WC_NO_BEST_FIT_CHARS Windows writes a look-alike (Ā as ā) and says nothing.
    const int m = ::WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide, 1, gbk,
                                        sizeof gbk, nullptr, &usedDefault);
    if (m <= 0 || usedDefault) return false;
    out.append(gbk, static_cast<std::size_t>(m));
    return true;
}

// One GBK character (one byte, or a lead byte and its trail) -> UTF-8.
bool decodeOne(std::string_view gbk, std::string& out) {
    wchar_t wide[2];
    const int n = ::MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, gbk.data(),
                                        static_cast<int>(gbk.size()), wide, 2);
    return n == 1 && !privateUse(wide[0]) && appendUtf8(wide, 1, out);
}

// A charset name as a locale or a program names it -> a Windows code page, 0 when unknown.
UINT codePageOf(std::string_view charset) {
    std::string name;
    for (char c : charset) {
        if (c != '-' && c != '_')
            name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (name == "UTF8") return CP_UTF8;
    if (name == "GBK" || name == "GB2312" || name == "CP936") return kGbkCodePage;
    if (name == "ASCII" || name == "USASCII" || name == "ANSIX3.41968") return 20127;
    // "CP437", "WINDOWS1252", "IBM850" or the bare number, as GetConsoleCP() gives it.
    std::string_view digits = name;
    for (std::string_view prefix : {"CP", "WINDOWS", "IBM"}) {
        if (digits.starts_with(prefix)) {
            digits.remove_prefix(prefix.size());
            break;
        }
    }
    UINT page = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), page);
    if (ec != std::errc{} || end != digits.data() + digits.size()) return 0;
    return ::IsValidCodePage(page) ? page : 0;
}

}  // namespace

std::optional<std::size_t> utf8ToGbk(std::string_view utf8, std::string& out) {
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (isAscii(lead)) {
            out += utf8[i++];
            continue;
        }
        const std::size_t length = utf8Length(lead);
        if (length == 0 || i + length > utf8.size() || !encodeOne(utf8.substr(i, length), out)) {
            return i;
        }
        i += length;
    }
    return std::nullopt;
}

std::optional<std::size_t> gbkToUtf8(std::string_view gbk, std::string& out) {
    for (std::size_t i = 0; i < gbk.size();) {
        const auto lead = static_cast<unsigned char>(gbk[i]);
        if (isAscii(lead)) {
            out += gbk[i++];
            continue;
        }
        // 0x81..0xFE lead a two-byte character; 0x80 alone is the euro sign, 0xFF nothing.
        const std::size_t length = lead >= 0x81 && lead <= 0xFE ? 2 : 1;
        if (i + length > gbk.size() || !decodeOne(gbk.substr(i, length), out)) return i;
        i += length;
    }
    return std::nullopt;
}

bool charsetToGbk(std::string_view text, const char* charset, std::string& out) {
    const UINT page = codePageOf(charset);
    if (page == 0) return false;
    if (page == kGbkCodePage) {
        std::string checked;
        if (gbkToUtf8(text, checked)) return false;
        out.append(text);
        return true;
    }
    if (page == CP_UTF8) return !utf8ToGbk(text, out);
    if (text.empty()) return true;
    // Through UTF-16 and UTF-8, so that the GBK rules above are the only ones.
    const int units = ::MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, text.data(),
                                            static_cast<int>(text.size()), nullptr, 0);
    if (units <= 0) return false;
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    ::MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                          wide.data(), units);
    const int bytes = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), units,
                                            nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return false;
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), units, utf8.data(), bytes,
                          nullptr, nullptr);
    return !utf8ToGbk(utf8, out);
}

}  // namespace kvt::platform
