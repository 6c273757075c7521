#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <clocale>
#include <string_view>

#include "core/platform/Gbk.h"
#include "core/platform/LocalTime.h"

namespace kvt::platform {

namespace {

// The charset the LC_TIME locale writes its texts in ("UTF-8" on today's Chinese desktops).
std::string timeCharset() {
    const char* name = std::setlocale(LC_TIME, nullptr);
    const locale_t time = ::newlocale(LC_CTYPE_MASK, name ? name : "C", locale_t{});
    if (time == locale_t{}) return "ANSI_X3.4-1968";
    std::string charset = ::nl_langinfo_l(CODESET, time);
    ::freelocale(time);
    return charset;
}

bool ascii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string localTimeOfDayGbk(std::time_t when) {
    std::tm local{};
    if (localtime_r(&when, &local) == nullptr) return {};
    char text[64];
    std::size_t n = std::strftime(text, sizeof text, " %X ", &local);
    const std::string_view written(text, n);
    if (ascii(written)) return std::string(written);
    // The locale's words for the time of day come in its own charset.
    if (std::string converted; charsetToGbk(written, timeCharset().c_str(), converted))
        return converted;
    n = std::strftime(text, sizeof text, " %H:%M:%S ", &local);
    return std::string(text, n);
}

}  // namespace kvt::platform
