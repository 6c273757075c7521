#include "core/discovery/Search.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <map>
#include <set>
#include <thread>

#include "core/discovery/DiscoveryCodec.h"

namespace kvt {

namespace {

// Replies of a whole segment arrive within a few milliseconds of the query and are drained in
// batches of this many.
constexpr std::size_t kBatch = 64;

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

std::string interfaceList(const std::vector<NetInterface>& available) {
    if (available.empty()) return "none";
    std::string text;
    for (const NetInterface& interface : available) {
        if (!text.empty()) text += ", ";
        text += describeInterface(interface);
    }
    return text;
}

}  // namespace

SearchPlan planBroadcastSearch(const NetworkOptions& options,
                               const std::vector<NetInterface>& available) {
    SearchPlan plan;
    if (options.singleDiscoveryTarget()) return plan;
    const bool all = options.searchInterface.empty() || options.searchInterface == "all";
    std::set<std::string> names;
    for (const NetInterface& interface : available) {
        // An interface with several addresses is one network card: one query.
        if (!names.insert(interface.name).second) continue;
        if (all || interface.name == options.searchInterface) plan.interfaces.push_back(interface);
    }
    if (!all && plan.interfaces.empty()) {
        plan.error = "no up, broadcast-capable IPv4 interface is named \"" +
                     options.searchInterface + "\" (interfaces: " + interfaceList(available) + ")";
    }
    return plan;
}

SearchPlan planBroadcastSearch(const NetworkOptions& options) {
    return planBroadcastSearch(options, broadcastInterfaces());
}

BroadcastSearch::BroadcastSearch(const NetworkOptions& options) : m_options(options) {}

BroadcastSearch::~BroadcastSearch() = default;

bool BroadcastSearch::open() {
    SearchPlan plan = planBroadcastSearch(m_options);
    if (!plan.error.empty()) {
        m_setup = SearchSetup::Failed;
        m_error = plan.error;
        m_socket.shutdownAndClose();
        return false;
    }
    for (NetInterface& interface : plan.interfaces) {
        // An interface that went away while it was being listed is left out.
        const unsigned index = interface.index;
        if (index == 0) continue;
        m_interfaces.push_back(std::move(interface));
        m_interfaceIndexes.push_back(index);
    }
    if (!m_socket.valid()) {
        m_setup = SearchSetup::Failed;
        m_error = "cannot create the search socket";
        return false;
    }
    bool bound = false;
    if (!m_socket.setBroadcast() ||
        !m_socket.setReceiveTimeout(std::chrono::milliseconds(kReceiveWindowMs)) ||
        !m_socket.setExclusiveAddress() ||
        !(bound = m_socket.bind(m_options.localAddress, m_options.localPort)) ||
        (!m_interfaces.empty() && !m_socket.setReceiveInterface())) {
        const bool busy = !bound && platform::SystemError::last().addressInUse();
        m_setup = busy ? SearchSetup::PortBusy : SearchSetup::Failed;
        m_error =
            busy ? "local port " + std::to_string(m_options.localPort) + " is in use: cannot search"
                 : "cannot set up the search socket on " + m_options.localAddress + ":" +
                       std::to_string(m_options.localPort);
        m_socket.shutdownAndClose();
        return false;
    }
    // Only for the record of when the replies came in.
    m_socket.setArrivalTimes();
    // A smaller buffer only risks losing replies of very large segments; not worth failing.
    if (m_options.searchReceiveBuffer > 0)
        m_socket.enlargeReceiveBuffer(m_options.searchReceiveBuffer);
    m_batch = std::make_unique<DatagramBatch>(kBatch, kDiscoveryReplySize);
    return true;
}

std::vector<CEquipment> BroadcastSearch::runCycle() {
    using Clock = std::chrono::steady_clock;
    std::vector<CEquipment> found;
    m_querySent = false;
    if (!m_socket.valid() || !m_batch) return found;
    const auto query = discoveryQuery();
    if (m_interfaces.empty()) {
        m_querySent = m_socket.sendTo(query, m_options.discoveryTarget, m_options.discoveryPort);
    } else {
        for (unsigned index : m_interfaceIndexes) {
            if (m_socket.sendVia(query, NetworkOptions::kLimitedBroadcast, m_options.discoveryPort,
                                 index))
                m_querySent = true;
        }
    }
    if (!m_querySent) return found;
    m_queryTime = m_heardTime = Clock::now();

    const auto window = std::chrono::milliseconds(kReceiveWindowMs);
    const Deadline limit = Clock::now() + std::chrono::milliseconds(kCycleLimitMs);
    Deadline silenceEnds = Clock::now() + window;
    // The interface each device was first heard on in this cycle.
    std::map<std::string, unsigned> heardOn;
    int row = 1;
    while (Clock::now() < limit) {
        if (!m_socket.waitReadable(std::min(silenceEnds, limit))) break;
        const long received = m_socket.receiveQueued(*m_batch);
        if (received < 0) break;  // a failed receive ends the cycle, as in the product
        bool heard = false;
        std::optional<std::chrono::system_clock::time_point> lastArrival;
        for (std::size_t i = 0; i < static_cast<std::size_t>(received); ++i) {
            std::size_t route = 0;
            if (!m_interfaces.empty()) {
                // Only replies to our queries: datagrams that came in by another interface
                // belong to nobody's search here.
                const auto at = std::find(m_interfaceIndexes.begin(), m_interfaceIndexes.end(),
                                          m_batch->interfaceIndex(i));
                if (at == m_interfaceIndexes.end()) continue;
                route = static_cast<std::size_t>(at - m_interfaceIndexes.begin());
            }
            heard = true;
            lastArrival = m_batch->arrival(i);
            // An empty or short datagram is as malformed as any other: dropped, the loop goes on.
            auto record = parseBroadcastReply(m_batch->bytes(i), row);
            if (!record) continue;
            if (!m_interfaces.empty()) {
                const unsigned index = m_interfaceIndexes[route];
                const auto [first, isNew] = heardOn.emplace(record->macAddress, index);
                if (!isNew && first->second != index) continue;  // listed from its first card
                record->interfaceName = m_interfaces[route].name;
            }
            found.push_back(std::move(*record));
            ++row;
        }
        if (heard) {
            const auto now = Clock::now();
            silenceEnds = now + window;
            // When the datagram reached the PC, not when this loop came to it.
            m_heardTime = now;
            if (lastArrival) {
                const auto late = std::chrono::system_clock::now() - *lastArrival;
                if (late > Clock::duration::zero()) m_heardTime = now - late;
            }
        }
    }
    return found;
}

std::vector<CEquipment> runBroadcastSearch(const NetworkOptions& options,
                                           const std::atomic<bool>* cancel,
                                           const std::function<void(int)>& progress,
                                           SearchTimes* times, SearchSetup* setup) {
    SearchTimes moments;
    moments.started = std::chrono::steady_clock::now();
    std::vector<CEquipment> records;
    BroadcastSearch search(options);
    if (search.open()) {
        const auto cancelled = [cancel] { return cancel && cancel->load(); };
        // The window's timer fires 300 ms after it opens. Every cycle then blocks longer than
        // one period, so the next tick is already due when a cycle ends and the cycles follow
        // each other at once.
        waitTick(cancel);
        int bar = 0;
        for (int cycle = 1; cycle <= BroadcastSearch::kMaxQueries && !cancelled(); ++cycle) {
            records = search.runCycle();
            moments.cycles = cycle;
            moments.lastQuery = search.lastQueryTime();
            moments.lastHeard = search.lastHeardTime();
            // A cycle whose query could not be sent leaves the bar where it was.
            if (search.lastQuerySent()) {
                bar += 20;
                if (progress) progress(bar);
            }
            if (!records.empty()) break;
        }
    }
    moments.ended = std::chrono::steady_clock::now();
    if (times) *times = moments;
    if (setup) *setup = search.setup();
    return records;
}

AddressAnswer queryAddress(const NetworkOptions& options, const std::string& address) {
    AddressAnswer answer;
    if (address.empty()) return answer;

    UdpSocket socket;
    if (!socket.valid() || !socket.setReceiveTimeout(kAddressReceiveLimit) ||
        !socket.setExclusiveAddress())
        return answer;
    if (!socket.bind(options.localAddress, options.localPort)) {
        if (platform::SystemError::last().addressInUse())
            answer.status = AddressAnswer::Status::PortBusy;
        return answer;
    }
    const auto query = discoveryQuery();
    if (!socket.sendTo(query, address, options.discoveryPort)) return answer;

    std::array<std::uint8_t, kDiscoveryReplySize> buffer{};
    const long received =
        socket.receive(buffer, std::chrono::steady_clock::now() + kAddressReceiveLimit);
    if (received < 0) return answer;

    auto record = parseAddressedReply(std::span(buffer.data(), static_cast<std::size_t>(received)));
    if (!record) {
        answer.status = AddressAnswer::Status::WrongCode;
        return answer;
    }
    answer.status = AddressAnswer::Status::Found;
    answer.device = std::move(*record);
    return answer;
}

}  // namespace kvt
