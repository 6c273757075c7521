// The leak checks' counts, apart from the fixture's header so that the tests that include it
// do not get windows.h and its macros.
#include "NetFixture.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
// winsock2.h first: windows.h would otherwise bring in the old winsock.h.
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <tlhelp32.h>
// clang-format on
#endif

namespace kvt::test {

std::optional<std::size_t> openHandles() {
#ifdef _WIN32
    DWORD count = 0;
    if (!::GetProcessHandleCount(::GetCurrentProcess(), &count) || count == 0) return std::nullopt;
    return count;
#else
    return entriesIn("/proc/self/fd");
#endif
}

std::size_t runningThreads() {
#ifdef _WIN32
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    std::size_t count = 0;
    for (BOOL more = ::Thread32First(snapshot, &entry); more;
         more = ::Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == ::GetCurrentProcessId();
    ::CloseHandle(snapshot);
    return count;
#else
    return entriesIn("/proc/self/task");
#endif
}

}  // namespace kvt::test
