// winsock2.h first: windows.h would otherwise bring in the old winsock.h.
// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on

#include <algorithm>
#include <string>

#include "core/platform/SystemError.h"

namespace kvt::platform {

SystemError SystemError::last() {
    // Winsock keeps its error in the thread's GetLastError slot, so this is the last socket or
    // file call's error alike.
    return {::WSAGetLastError()};
}

bool SystemError::addressInUse() const {
    // A port another socket holds with SO_EXCLUSIVEADDRUSE, or one the system has reserved,
    // is refused with WSAEACCES rather than WSAEADDRINUSE: for the user both are a busy port.
    return code == WSAEADDRINUSE || code == WSAEACCES;
}

bool SystemError::wouldBlock() const {
    // A receive time-out ends with WSAETIMEDOUT here and with EAGAIN on POSIX.
    return code == WSAEWOULDBLOCK || code == WSAETIMEDOUT;
}

bool SystemError::noBuffers() const {
    return code == WSAENOBUFS;
}

std::string SystemError::text() const {
    wchar_t* wide = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&wide), 0, nullptr);
    std::string text;
    if (length > 0 && wide) {
        DWORD end = length;
        // The system's messages end in ".\r\n"; the callers add their own punctuation.
        while (end > 0 &&
               (wide[end - 1] == L'\r' || wide[end - 1] == L'\n' || wide[end - 1] == L' '))
            --end;
        if (end > 0 && wide[end - 1] == L'.') --end;
        const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(end), nullptr, 0,
                                                nullptr, nullptr);
        text.resize(static_cast<std::size_t>(std::max(bytes, 0)));
        if (bytes > 0)
            ::WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(end), text.data(), bytes,
                                  nullptr, nullptr);
    }
    if (wide) ::LocalFree(wide);
    if (text.empty()) text = "error " + std::to_string(code);
    return text;
}

}  // namespace kvt::platform
