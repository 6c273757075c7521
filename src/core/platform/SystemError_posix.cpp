#include <cerrno>
#include <cstring>

#include "core/platform/SystemError.h"

namespace kvt::platform {

SystemError SystemError::last() {
    return {errno};
}

bool SystemError::addressInUse() const {
    return code == EADDRINUSE;
}

bool SystemError::wouldBlock() const {
    return code == EAGAIN || code == EWOULDBLOCK;
}

bool SystemError::noBuffers() const {
    return code == ENOBUFS;
}

std::string SystemError::text() const {
    return std::strerror(code);
}

}  // namespace kvt::platform
