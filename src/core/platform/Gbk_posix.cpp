#include <iconv.h>

#include <cerrno>
#include <stdexcept>

#include "core/platform/Gbk.h"

namespace kvt::platform {
namespace {

// iconv descriptors are not thread-safe; one per call keeps this simple and the texts short.
class Iconv {
public:
    Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Iconv() {
        if (valid()) iconv_close(m_cd);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

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

// GBK and UTF-8 are always there; their absence is a broken installation, not an input error.
std::optional<std::size_t> convertKnown(const char* to, const char* from, std::string_view in,
                                        std::string& out) {
    Iconv cd(to, from);
    if (!cd.valid()) throw std::runtime_error("iconv_open failed");
    return cd.convert(in, out);
}

}  // namespace

std::optional<std::size_t> utf8ToGbk(std::string_view utf8, std::string& out) {
    return convertKnown("GBK", "UTF-8", utf8, out);
}

std::optional<std::size_t> gbkToUtf8(std::string_view gbk, std::string& out) {
    return convertKnown("UTF-8", "GBK", gbk, out);
}

bool charsetToGbk(std::string_view text, const char* charset, std::string& out) {
    Iconv cd("GBK", charset);
    return cd.valid() && !cd.convert(text, out);
}

}  // namespace kvt::platform
