#pragma once
// Lets one thread end another's waits at once: signal() makes the event ready, and every
// wait that watches it (a socket wait, a Poller) returns. It stays ready until drain().
// Here an eventfd; on Windows a loopback socket, which is why callers never see its handle.
#include <array>
#include <chrono>
#include <cstdint>

namespace kvt::platform {

class WakeEvent {
public:
    WakeEvent();
    ~WakeEvent();
    WakeEvent(const WakeEvent&) = delete;
    WakeEvent& operator=(const WakeEvent&) = delete;

    // false when the system could not make one; then signal() does nothing and waits that
    // watch it end only at their limits.
    bool valid() const { return m_handles[0] != kNone; }
    // From any thread.
    void signal() const;
    // Takes back every signal given so far.
    void drain() const;
    // Until signalled or `deadline`; true when signalled.
    bool wait(std::chrono::steady_clock::time_point deadline) const;

    // For the backend's waits only: what they watch beside their sockets.
    using Handle = std::intptr_t;
    static constexpr Handle kNone = -1;
    Handle pollHandle() const { return m_handles[0]; }

private:
    // [0] is what waits watch; [1] is the sending end where the system needs a second handle
    // (a loopback socket pair on Windows).
    std::array<Handle, 2> m_handles{kNone, kNone};
};

}  // namespace kvt::platform
