#pragma once
// ppoll on a deadline, shared by the POSIX backends that wait.
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>

namespace kvt::platform {

// Waits until one of `fds` is ready or `deadline` passes, again after a signal; a deadline
// already passed still looks once at what is queued. ppoll's result: > 0 ready, 0 time-out,
// < 0 failure (errno).
inline int pollUntil(pollfd* fds, nfds_t count, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = std::max(deadline - std::chrono::steady_clock::now(),
                                   std::chrono::steady_clock::duration::zero());
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec limit{static_cast<time_t>(ns / 1'000'000'000),
                             static_cast<long>(ns % 1'000'000'000)};
        const int ready = ::ppoll(fds, count, &limit, nullptr);
        if (ready >= 0 || errno != EINTR) return ready;
    }
}

}  // namespace kvt::platform
