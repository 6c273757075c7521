#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/platform/WakeEvent.h"

namespace kvt::platform {

WakeEvent::WakeEvent() {
    const int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd >= 0) m_handles[0] = fd;
}

WakeEvent::~WakeEvent() {
    if (valid()) ::close(static_cast<int>(m_handles[0]));
}

void WakeEvent::signal() const {
    if (!valid()) return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(static_cast<int>(m_handles[0]), &one, sizeof one);
}

void WakeEvent::drain() const {
    if (!valid()) return;
    std::uint64_t pending = 0;
    [[maybe_unused]] const auto n =
        ::read(static_cast<int>(m_handles[0]), &pending, sizeof pending);
}

bool WakeEvent::wait(std::chrono::steady_clock::time_point deadline) const {
    pollfd polled{valid() ? static_cast<int>(m_handles[0]) : -1, POLLIN, 0};
    for (;;) {
        const auto left = std::max(deadline - std::chrono::steady_clock::now(),
                                   std::chrono::steady_clock::duration::zero());
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec limit{static_cast<time_t>(ns / 1'000'000'000),
                             static_cast<long>(ns % 1'000'000'000)};
        const int ready = ::ppoll(&polled, 1, &limit, nullptr);
        if (ready > 0) return true;
        if (ready == 0 || errno != EINTR) return false;
    }
}

}  // namespace kvt::platform
