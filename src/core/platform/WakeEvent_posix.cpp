#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/platform/Poll_posix.h"
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
    return pollUntil(&polled, 1, deadline) > 0;
}

}  // namespace kvt::platform
