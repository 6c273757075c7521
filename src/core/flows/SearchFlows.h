#pragma once
// The two searches as the main window and the CLI run them: each refills a device table. The
// desktop tool clears its selection after every search, so that no flow acts on a row the new
// table may not hold.
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "core/discovery/Search.h"
#include "core/flows/Outcome.h"
#include "core/net/NetworkOptions.h"

namespace kvt {

// The records a broadcast search found become the device table. Done, or NothingFound for none;
// SearchPortBusy (with an empty table) when the search could not bind its local port.
Outcome listFoundDevices(std::vector<CEquipment>& table, std::vector<CEquipment> found,
                         SearchSetup setup = SearchSetup::Ready);

// The whole broadcast search (runBroadcastSearch) with its result listed as above. `cancel` and
// `progress` as there.
Outcome searchBroadcast(const NetworkOptions& network, std::vector<CEquipment>& table,
                        const std::atomic<bool>* cancel, const std::function<void(int)>& progress);

// Search by IP: on a reply, the table becomes its one record (Done). SearchFailed and
// SearchWrongReply and SearchPortBusy leave the table as it was.
Outcome searchByAddress(const NetworkOptions& network, std::vector<CEquipment>& table,
                        const std::string& address);

}  // namespace kvt
