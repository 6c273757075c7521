#include <signal.h>

#include "core/platform/Interrupt.h"

namespace kvt::platform {

struct InterruptWait::State {
    sigset_t interrupts;
    sigset_t previousMask;
};

InterruptWait::InterruptWait() : m_state(std::make_unique<State>()) {
    sigemptyset(&m_state->interrupts);
    sigaddset(&m_state->interrupts, SIGINT);
    sigaddset(&m_state->interrupts, SIGTERM);
    // Blocked, the signals stay pending until sigtimedwait takes them; threads inherit the mask.
    pthread_sigmask(SIG_BLOCK, &m_state->interrupts, &m_state->previousMask);
}

InterruptWait::~InterruptWait() {
    pthread_sigmask(SIG_SETMASK, &m_state->previousMask, nullptr);
}

bool InterruptWait::wait(std::chrono::milliseconds limit) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(limit).count();
    const timespec wait{static_cast<time_t>(ns / 1'000'000'000),
                        static_cast<long>(ns % 1'000'000'000)};
    return sigtimedwait(&m_state->interrupts, nullptr, &wait) > 0;
}

void InterruptWait::wait() {
    int received = 0;
    sigwait(&m_state->interrupts, &received);
}

}  // namespace kvt::platform
