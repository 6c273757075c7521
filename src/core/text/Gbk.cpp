#include "core/text/Gbk.h"

#include <stdexcept>

#include "core/platform/Gbk.h"

namespace kvt {
namespace {

std::size_t utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

}  // namespace

std::optional<Gbk> toGbk(std::string_view text, const char* charset) {
    std::string out;
    if (!platform::charsetToGbk(text, charset, out)) return std::nullopt;
    return out;
}

std::optional<Gbk> utf8ToGbk(std::string_view utf8, GbkError* error) {
    std::string out;
    if (auto stop = platform::utf8ToGbk(utf8, out)) {
        if (error) {
            error->offset = *stop;
            const std::size_t len = utf8SequenceLength(static_cast<unsigned char>(utf8[*stop]));
            error->character = std::string(utf8.substr(*stop, len));
        }
        return std::nullopt;
    }
    return out;
}

Gbk gbk(std::string_view utf8) {
    auto converted = utf8ToGbk(utf8);
    if (!converted) throw std::logic_error("literal not representable in GBK");
    return *converted;
}

std::string gbkToUtf8(std::string_view gbkText) {
    std::string out;
    std::size_t pos = 0;
    while (pos < gbkText.size()) {
        auto stop = platform::gbkToUtf8(gbkText.substr(pos), out);
        if (!stop) break;
        out += "\xEF\xBF\xBD";  // U+FFFD for the byte that is not GBK
        pos += *stop + 1;
    }
    return out;
}

std::size_t gbkCutLength(std::string_view text, std::size_t maxBytes) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        // Lead bytes 0x81..0xFE start a two-byte character; everything else is one byte.
        const std::size_t width = (lead >= 0x81 && lead <= 0xFE && pos + 1 < text.size()) ? 2 : 1;
        if (pos + width > maxBytes) break;
        pos += width;
    }
    return pos;
}

}  // namespace kvt
