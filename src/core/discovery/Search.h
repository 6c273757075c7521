#pragma once
// Broadcast search and search by IP address. The desktop tool paces the broadcast cycles from
// its progress window (one cycle per timer tick, run off the user-interface thread); the CLI
// runs the same cycles through runBroadcastSearch.
//
// The product sends its one query to 255.255.255.255, which leaves by the default route only:
// on a PC with two network cards the gateways behind the other card are never found. Unless a
// target is chosen, the search therefore sends the query out of every up, broadcast-capable
// IPv4 interface (or the one named) and merges the replies.
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/config/Configuration.h"
#include "core/net/Interfaces.h"
#include "core/net/NetworkOptions.h"
#include "core/net/Socket.h"

namespace kvt {

// Where the queries of a broadcast search go.
struct SearchPlan {
    // One query out of each of these interfaces (one per interface name), to 255.255.255.255.
    // Empty: the single query to options.discoveryTarget, as when a target is chosen or when
    // no interface of the PC qualifies (the kernel then routes the one query as it can).
    std::vector<NetInterface> interfaces;
    // options.searchInterface names no up, broadcast-capable IPv4 interface; the search does
    // not run.
    std::string error;
};

SearchPlan planBroadcastSearch(const NetworkOptions& options,
                               const std::vector<NetInterface>& available);
// The same with the PC's interfaces now.
SearchPlan planBroadcastSearch(const NetworkOptions& options);

// Whether a search could set up its socket: the local port may be held by another program (a
// second copy of this tool, say), which is not the same as no device answering.
enum class SearchSetup { Ready, PortBusy, Failed };

class BroadcastSearch {
public:
    static constexpr int kMaxQueries = 5;
    static constexpr int kTickMs = 300;
    static constexpr int kReceiveWindowMs = 350;
    // A cycle's receive loop ends at the latest this long after its query, so that a sender
    // that never pauses for a whole receive window cannot hold the search.
    static constexpr int kCycleLimitMs = 2000;

    explicit BroadcastSearch(const NetworkOptions& options);
    ~BroadcastSearch();
    BroadcastSearch(const BroadcastSearch&) = delete;
    BroadcastSearch& operator=(const BroadcastSearch&) = delete;

    // Plans the queries, then: socket, SO_BROADCAST, 350 ms receive limit, bind to the local
    // address and port. false means the search ends silently (error() says why).
    bool open();
    // One query cycle: sends the query (out of every planned interface; a cycle whose queries
    // all fail to go out is skipped), then receives until 350 ms pass without a datagram, a
    // receive fails, or kCycleLimitMs have passed. Returns the valid replies of this cycle in
    // arrival order, numbered " 1", " 2", ... When the queries went out of several interfaces,
    // each record names the interface it was heard on, and a device heard on a second
    // interface is listed only once (two replies on one interface still give two rows).
    std::vector<CEquipment> runCycle();
    // Whether the last cycle's query went out (only such a cycle advances the progress bar).
    bool lastQuerySent() const { return m_querySent; }
    // The interfaces the queries leave by; empty for the single query to the target.
    const std::vector<NetInterface>& interfaces() const { return m_interfaces; }
    const std::string& error() const { return m_error; }
    SearchSetup setup() const { return m_setup; }
    // When the last cycle's query went out and when its last datagram came in (the query
    // time when none did): the devices' share of the cycle, for benchmarks.
    Deadline lastQueryTime() const { return m_queryTime; }
    Deadline lastHeardTime() const { return m_heardTime; }

private:
    NetworkOptions m_options;
    UdpSocket m_socket;
    std::vector<NetInterface> m_interfaces;
    std::vector<unsigned> m_interfaceIndexes;  // kernel index of each of m_interfaces
    std::unique_ptr<DatagramBatch> m_batch;
    std::string m_error;
    SearchSetup m_setup = SearchSetup::Ready;
    bool m_querySent = false;
    Deadline m_queryTime{};
    Deadline m_heardTime{};
};

// Moments of one whole search, for benchmarks: its protocol's own waits are the tick before the
// first query and the receive window after the last datagram of each cycle.
struct SearchTimes {
    Deadline started{};
    Deadline lastQuery{};  // when the last cycle's query went out
    Deadline lastHeard{};  // when the last cycle's last datagram came in
    Deadline ended{};
    int cycles = 0;
};

// The whole search as the progress window runs it: up to five cycles, the first after one
// tick, stop after the first cycle with at least one record; `cancel` ends the search after
// the running cycle. `progress` (may be empty) gets the bar value 20, 40, ... after each query.
// Without a chosen target the queries leave by every interface (options.searchInterface).
std::vector<CEquipment> runBroadcastSearch(const NetworkOptions& options,
                                           const std::atomic<bool>* cancel,
                                           const std::function<void(int)>& progress,
                                           SearchTimes* times = nullptr,
                                           SearchSetup* setup = nullptr);

// What the query of a search by IP brought back.
struct AddressAnswer {
    enum class Status {
        Failed,     // socket, bind, send or receive failure (2 s without reply included)
        PortBusy,   // the local port is held by another socket: nothing was sent
        WrongCode,  // a reply without code 3
        Found,      // `device` holds the reply's record
    };
    Status status = Status::Failed;
    CEquipment device;
};

// The query of a search by IP: one query to `address`, one reply within 2 s.
AddressAnswer queryAddress(const NetworkOptions& options, const std::string& address);

}  // namespace kvt
