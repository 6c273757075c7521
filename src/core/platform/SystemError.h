#pragma once
// An operating-system error value as the program needs it: what it says, and whether it is one
// of the few a caller acts on. The value is the system's own (errno here, WSAGetLastError on
// Windows), so callers never compare it with errno constants themselves.
#include <string>

namespace kvt::platform {

struct SystemError {
    int code = 0;

    // The calling thread's error of its last failed socket or file call.
    static SystemError last();

    explicit operator bool() const { return code != 0; }
    // A fixed port another program (or socket) holds already.
    bool addressInUse() const;
    // A non-blocking call that would have had to wait; try again when the socket is ready.
    bool wouldBlock() const;
    // Out of buffer space for the moment (a burst of datagrams): worth a retry shortly.
    bool noBuffers() const;
    // The system's message, e.g. "Address already in use".
    std::string text() const;
};

}  // namespace kvt::platform
