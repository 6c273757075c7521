#pragma once
// Loopback addresses private to one test process, so that tests run in parallel without
// port clashes: every process gets its own 127.a.b.0/24 block, derived from its pid.
#include <unistd.h>

#include <string>

#include "core/platform/Address.h"
#include "core/platform/Socket.h"

namespace kvt::test {

inline std::string loopbackHost(int last) {
    const unsigned pid = static_cast<unsigned>(::getpid());
    unsigned a = (pid >> 8) & 0xFF;
    const unsigned b = pid & 0xFF;
    if (a == 0) a = 1;  // keep clear of 127.0.0.x, which demos and the host use
    return "127." + std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(last);
}

// More room than one /24 (benchmarks with a thousand devices): block 0 is loopbackHost's own,
// blocks 1 to 4 lie in 127.0.1.0 - 127.0.252.255, which no process's own block uses (their
// second octet is never 0), chosen by pid so that two such processes rarely meet.
inline std::string loopbackBlockHost(int block, int last) {
    if (block <= 0) return loopbackHost(last);
    const unsigned pid = static_cast<unsigned>(::getpid());
    const unsigned third = 1 + (pid % 63) * 4 + static_cast<unsigned>(block - 1) % 4;
    return "127.0." + std::to_string(third) + "." + std::to_string(last);
}

}  // namespace kvt::test
