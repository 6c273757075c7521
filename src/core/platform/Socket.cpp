#include "core/platform/Socket.h"

namespace kvt::platform {

bool udpLoopbackBindsAllAddresses() {
    static const bool bindsAll = [] {
        Socket first(Socket::Kind::Udp);
        Socket second(Socket::Kind::Udp);
        const auto a = parseDottedQuad("127.254.254.1");
        const auto b = parseDottedQuad("127.254.254.2");
        if (!first || !second || !a || !b || !first.bind({*a, 0})) return false;
        const auto bound = first.localEndpoint();
        return bound && !second.bind({*b, bound->port});
    }();
    return bindsAll;
}

}  // namespace kvt::platform
