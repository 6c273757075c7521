#pragma once
// Waiting for the user to stop a program that runs until told to (Ctrl+C, or a request to
// terminate): the request is taken where the program waits for it, not in a handler.
#include <chrono>
#include <memory>

namespace kvt::platform {

class InterruptWait {
public:
    // From here on the calling thread, and every thread it starts later, leaves interrupts to
    // wait(); make it before starting the threads.
    InterruptWait();
    // Interrupts are handled as before again.
    ~InterruptWait();
    InterruptWait(const InterruptWait&) = delete;
    InterruptWait& operator=(const InterruptWait&) = delete;

    // true when an interrupt came within `limit`.
    bool wait(std::chrono::milliseconds limit);
    // Until an interrupt comes.
    void wait();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace kvt::platform
