#include <windows.h>

#include <clocale>
#include <cstring>
#include <ctime>

#include "core/platform/Gbk.h"
#include "core/platform/LocalTime.h"

namespace kvt::platform {

namespace {

// The user's time format (Control Panel, Region) in UTF-8; empty when Windows has none.
std::string userTimeFormat(const std::tm& local) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(local.tm_year + 1900);
    time.wMonth = static_cast<WORD>(local.tm_mon + 1);
    time.wDay = static_cast<WORD>(local.tm_mday);
    time.wHour = static_cast<WORD>(local.tm_hour);
    time.wMinute = static_cast<WORD>(local.tm_min);
    time.wSecond = static_cast<WORD>(local.tm_sec);
    wchar_t text[64];
    const int units =
        ::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &time, nullptr, text, std::size(text));
    if (units <= 1) return {};
    char utf8[256];
    const int bytes =
        ::WideCharToMultiByte(CP_UTF8, 0, text, units - 1, utf8, sizeof utf8, nullptr, nullptr);
    return bytes > 0 ? std::string(utf8, static_cast<std::size_t>(bytes)) : std::string();
}

}  // namespace

std::string localTimeOfDayGbk(std::time_t when) {
    std::tm local{};
    // The C runtime's local time honours TZ as on Linux.
    if (::localtime_s(&local, &when) != 0) return {};
    char text[32];
    const std::size_t n = std::strftime(text, sizeof text, " %H:%M:%S ", &local);
    // A program that has not taken the user's locale (the command-line tool) writes the
    // 24-hour time, as the "C" locale does on Linux.
    const char* locale = std::setlocale(LC_TIME, nullptr);
    if (locale == nullptr || std::strcmp(locale, "C") == 0) return std::string(text, n);
    std::string gbk;
    if (const std::string user = userTimeFormat(local);
        !user.empty() && !utf8ToGbk(" " + user + " ", gbk)) {
        return gbk;
    }
    return std::string(text, n);
}

}  // namespace kvt::platform
