#pragma once
// Broadcast search and search by IP address. The desktop tool paces the broadcast cycles from
// its progress window (one cycle per timer tick, run off the user-interface thread); the CLI
// runs the same cycles through runBroadcastSearch.
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

#include "core/Session.h"
#include "core/config/Configuration.h"
#include "core/net/Socket.h"

namespace kvt {

class BroadcastSearch {
public:
    static constexpr int kMaxQueries = 5;
    static constexpr int kTickMs = 300;
    static constexpr int kReceiveWindowMs = 350;
    // A cycle's receive loop ends at the latest this long after its query, so that a sender
    // that never pauses for a whole receive window cannot hold the search.
    static constexpr int kCycleLimitMs = 2000;

    explicit BroadcastSearch(const NetworkOptions& options);
    // Socket, SO_BROADCAST, 350 ms receive limit, bind to the local address and port.
    // false means the search ends silently.
    bool open();
    // One query: clears the buffer, sends the query (a failed send skips the cycle), then
    // receives until a receive fails or times out, or kCycleLimitMs have passed. Returns the valid
    // replies of this cycle as records numbered " 1", " 2", ... in arrival order.
    std::vector<CEquipment> runCycle();
    // Whether the last cycle's query went out (only such a cycle advances the progress bar).
    bool lastQuerySent() const { return m_querySent; }

private:
    NetworkOptions m_options;
    UdpSocket m_socket;
    bool m_querySent = false;
};

// The whole search as the progress window runs it: up to five cycles, the first after one
// tick, stop after the first cycle with at least one record; `cancel` ends the search after
// the running cycle. `progress` (may be empty) gets the bar value 20, 40, ... after each query.
std::vector<CEquipment> runBroadcastSearch(const NetworkOptions& options,
                                           const std::atomic<bool>* cancel,
                                           const std::function<void(int)>& progress);

enum class AddressSearchOutcome {
    Failed,     // socket, bind, send or receive failure (2 s without reply included)
    WrongCode,  // a reply without code 3: the table keeps its records, the list shows none
    Found,      // the table now holds exactly the one record
};

// Search by IP: queries `address` and, on a valid reply, replaces session.devices with the one
// record. Always sets session.currentDeviceAddress to `address`, and clears the selection
// (after a failure too, so that no button acts on a device that is not listed).
AddressSearchOutcome searchByAddress(Session& session, const std::string& address);

}  // namespace kvt
