#pragma once
// Loopback addresses private to one test process, so that tests run in parallel without
// port clashes: every process gets its own 127.a.b.0/24 block, derived from its pid.
#include <unistd.h>

#include <string>

namespace kvt::test {

inline std::string loopbackHost(int last) {
    const unsigned pid = static_cast<unsigned>(::getpid());
    unsigned a = (pid >> 8) & 0xFF;
    const unsigned b = pid & 0xFF;
    if (a == 0) a = 1;  // keep clear of 127.0.0.x, which demos and the host use
    return "127." + std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(last);
}

}  // namespace kvt::test
