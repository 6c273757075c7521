// winsock2.h first: windows.h would otherwise bring in the old winsock.h.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <windows.h>
// clang-format on

#include <memory>

#include "core/platform/Address.h"
#include "core/platform/Interfaces.h"

namespace kvt::platform {

namespace {

std::string utf8(const wchar_t* wide) {
    if (!wide) return {};
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) return {};
    std::string text(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), bytes, nullptr, nullptr);
    text.pop_back();  // the terminating NUL
    return text;
}

// The adapter list; it may grow between the size query and the call, hence the retries.
std::unique_ptr<char[]> adapterList() {
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    ULONG size = 16 * 1024;
    for (int attempt = 0; attempt < 4; ++attempt) {
        auto buffer = std::make_unique<char[]>(size);
        const ULONG result = ::GetAdaptersAddresses(
            AF_INET, flags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.get()), &size);
        if (result == NO_ERROR) return buffer;
        if (result != ERROR_BUFFER_OVERFLOW) break;
    }
    return nullptr;
}

}  // namespace

std::vector<Ipv4Interface> ipv4Interfaces() {
    std::vector<Ipv4Interface> result;
    const auto list = adapterList();
    if (!list) return result;
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(list.get()); adapter;
         adapter = adapter->Next) {
        const bool loopback = adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK;
        // Windows keeps no broadcast flag; of its link types only these carry no broadcast.
        const bool pointToPoint =
            adapter->IfType == IF_TYPE_PPP || adapter->IfType == IF_TYPE_TUNNEL;
        for (const IP_ADAPTER_UNICAST_ADDRESS* unicast = adapter->FirstUnicastAddress; unicast;
             unicast = unicast->Next) {
            const sockaddr* address = unicast->Address.lpSockaddr;
            if (!address || address->sa_family != AF_INET) continue;
            const std::uint32_t value =
                reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr;
            Ipv4Interface record;
            // The friendly name ("Ethernet", on a Chinese Windows "以太网"), as the user sees it.
            record.name = utf8(adapter->FriendlyName);
            // The IPv4 index, which IP_PKTINFO names arrivals and sends by.
            record.index = static_cast<unsigned>(adapter->IfIndex);
            record.address = dottedText(value);
            record.prefixLength = std::min<int>(unicast->OnLinkPrefixLength, 32);
            record.up = adapter->OperStatus == IfOperStatusUp;
            record.loopback = loopback;
            record.canBroadcast = !loopback && !pointToPoint;
            if (record.canBroadcast) {
                const std::uint32_t hostBits =
                    record.prefixLength >= 32 ? 0 : 0xffffffffu >> record.prefixLength;
                const std::uint32_t broadcast = hostOrder(value) | hostBits;
                record.broadcastAddress = dottedHostOrder(broadcast);
            }
            result.push_back(std::move(record));
        }
    }
    return result;
}

}  // namespace kvt::platform
