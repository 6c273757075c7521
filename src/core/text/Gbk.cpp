#include "core/text/Gbk.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace kvt {
namespace {

// iconv descriptors are not thread-safe; one per call keeps this simple and the texts short.
class Iconv {
public:
    Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {
        if (m_cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
    }
    ~Iconv() { iconv_close(m_cd); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // Converts as much as possible; returns the input offset where it stopped on an error.
    std::optional<std::size_t> convert(std::string_view in, std::string& out) {
        char* inPtr = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        char buffer[256];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t rc = iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, sizeof buffer - outLeft);
            if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
                return static_cast<std::size_t>(inPtr - in.data());
            }
        }
        return std::nullopt;
    }

private:
    iconv_t m_cd;
};

std::size_t utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

}  // namespace

std::optional<Gbk> toGbk(std::string_view text, const char* charset) {
    const iconv_t probe = iconv_open("GBK", charset);
    if (probe == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    iconv_close(probe);
    Iconv cd("GBK", charset);
    std::string out;
    if (cd.convert(text, out)) return std::nullopt;
    return out;
}

std::optional<Gbk> utf8ToGbk(std::string_view utf8, GbkError* error) {
    Iconv cd("GBK", "UTF-8");
    std::string out;
    if (auto stop = cd.convert(utf8, out)) {
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
        Iconv cd("UTF-8", "GBK");
        auto stop = cd.convert(gbkText.substr(pos), out);
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
