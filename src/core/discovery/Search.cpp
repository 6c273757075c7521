#include "core/discovery/Search.h"

#include <array>
#include <chrono>
#include <thread>

#include "core/discovery/DiscoveryCodec.h"

namespace kvt {

namespace {

// Replies of a whole segment arrive within a few milliseconds of the query; the socket buffer
// must hold them while the receive loop drains it. The kernel charges every small datagram
// with its buffer overhead (about 1 KiB on Linux), so size for that, not for 68 bytes.
constexpr int kBurstReplies = 250;
constexpr int kChargePerDatagram = 2048;

constexpr std::chrono::milliseconds kAddressReceiveLimit{2000};

// Waits one timer period, or less when the search is cancelled meanwhile.
void waitTick(const std::atomic<bool>* cancel) {
    using namespace std::chrono;
    const auto end = steady_clock::now() + milliseconds(BroadcastSearch::kTickMs);
    while (steady_clock::now() < end) {
        if (cancel && cancel->load()) return;
        std::this_thread::sleep_for(
            std::min<steady_clock::duration>(milliseconds(10), end - steady_clock::now()));
    }
}

}  // namespace

BroadcastSearch::BroadcastSearch(const NetworkOptions& options) : m_options(options) {}

bool BroadcastSearch::open() {
    if (!m_socket.valid()) return false;
    if (!m_socket.setBroadcast() ||
        !m_socket.setReceiveTimeout(std::chrono::milliseconds(kReceiveWindowMs)) ||
        !m_socket.bind(m_options.localAddress, m_options.localPort)) {
        m_socket.shutdownAndClose();
        return false;
    }
    // A smaller buffer only risks losing replies of very large segments; not worth failing.
    m_socket.setReceiveBuffer(kBurstReplies * kChargePerDatagram);
    return true;
}

std::vector<CEquipment> BroadcastSearch::runCycle() {
    std::vector<CEquipment> found;
    m_querySent = false;
    if (!m_socket.valid()) return found;
    const auto query = discoveryQuery();
    m_querySent = m_socket.sendTo(query, m_options.discoveryTarget, m_options.discoveryPort);
    if (!m_querySent) return found;

    std::array<std::uint8_t, kDiscoveryReplySize> buffer{};
    int row = 1;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(kCycleLimitMs);
    while (std::chrono::steady_clock::now() < limit) {
        const long received = m_socket.receive(buffer);
        if (received < 0) break;  // the 350 ms window passed without another datagram
        // An empty datagram is as malformed as any other short one: dropped, the loop goes on.
        const auto size = static_cast<std::size_t>(received);
        if (auto record = parseBroadcastReply(std::span(buffer.data(), size), row)) {
            found.push_back(std::move(*record));
            ++row;
        }
    }
    return found;
}

std::vector<CEquipment> runBroadcastSearch(const NetworkOptions& options,
                                           const std::atomic<bool>* cancel,
                                           const std::function<void(int)>& progress) {
    BroadcastSearch search(options);
    if (!search.open()) return {};
    const auto cancelled = [cancel] { return cancel && cancel->load(); };

    // The window's timer fires 300 ms after it opens. Every cycle then blocks longer than one
    // period, so the next tick is already due when a cycle ends and the cycles follow each
    // other at once.
    waitTick(cancel);
    int bar = 0;
    for (int cycle = 1; cycle <= BroadcastSearch::kMaxQueries && !cancelled(); ++cycle) {
        auto records = search.runCycle();
        // A cycle whose query could not be sent leaves the bar where it was.
        if (search.lastQuerySent()) {
            bar += 20;
            if (progress) progress(bar);
        }
        if (!records.empty()) return records;
    }
    return {};
}

AddressSearchOutcome searchByAddress(Session& session, const std::string& address) {
    session.currentDeviceAddress = address;
    // Whatever happens, the list is rebuilt and no earlier selection survives it.
    struct ClearSelection {
        Session& session;
        ~ClearSelection() { session.clearSelection(); }
    } clearAtEnd{session};

    if (address.empty()) return AddressSearchOutcome::Failed;

    UdpSocket socket;
    if (!socket.valid() || !socket.setReceiveTimeout(kAddressReceiveLimit) ||
        !socket.bind(session.network.localAddress, session.network.localPort))
        return AddressSearchOutcome::Failed;
    const auto query = discoveryQuery();
    if (!socket.sendTo(query, address, session.network.discoveryPort))
        return AddressSearchOutcome::Failed;

    std::array<std::uint8_t, kDiscoveryReplySize> buffer{};
    const long received = socket.receive(buffer);
    if (received < 0) return AddressSearchOutcome::Failed;

    auto record = parseAddressedReply(std::span(buffer.data(), static_cast<std::size_t>(received)));
    if (!record) return AddressSearchOutcome::WrongCode;
    session.devices.clear();
    session.devices.push_back(std::move(*record));
    return AddressSearchOutcome::Found;
}

}  // namespace kvt
