#include <windows.h>

#include "core/platform/Interrupt.h"

namespace kvt::platform {

namespace {

// The console's handler runs on a thread of its own that Windows starts; it only signals.
struct ConsoleEvents {
    HANDLE interrupt = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);  // taken by one wait
    HANDLE finished = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

// Made once and kept: the handler may still run while an InterruptWait goes away.
ConsoleEvents& events() {
    static ConsoleEvents instance;
    return instance;
}

BOOL WINAPI onConsoleEvent(DWORD type) {
    ::SetEvent(events().interrupt);
    // Closing the console window (or logging off) ends the process as soon as this returns:
    // give the program the moment it needs to stop cleanly (Windows allows about five seconds).
    if (type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT) {
        ::WaitForSingleObject(events().finished, 4000);
    }
    return TRUE;
}

}  // namespace

struct InterruptWait::State {};

InterruptWait::InterruptWait() : m_state(std::make_unique<State>()) {
    ::ResetEvent(events().interrupt);
    ::ResetEvent(events().finished);
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

InterruptWait::~InterruptWait() {
    ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    ::SetEvent(events().finished);
}

bool InterruptWait::wait(std::chrono::milliseconds limit) {
    const auto ms = limit.count() < 0 ? 0 : limit.count();
    return ::WaitForSingleObject(events().interrupt, static_cast<DWORD>(ms)) == WAIT_OBJECT_0;
}

void InterruptWait::wait() {
    ::WaitForSingleObject(events().interrupt, INFINITE);
}

}  // namespace kvt::platform
