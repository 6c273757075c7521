#pragma once
// The two searches as the main window and the CLI run them: each refills the device table and
// clears the selection, so that no flow acts on a row the new table may not hold.
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "core/Session.h"
#include "core/discovery/Search.h"
#include "core/flows/Outcome.h"

namespace kvt {

// The records a broadcast search found become the device table. Done, or NothingFound for none;
// SearchPortBusy (with an empty table) when the search could not bind its local port.
Outcome listFoundDevices(Session& session, std::vector<CEquipment> found,
                         SearchSetup setup = SearchSetup::Ready);

// The whole broadcast search (runBroadcastSearch) with its result listed as above. `cancel` and
// `progress` as there.
Outcome searchBroadcast(Session& session, const std::atomic<bool>* cancel,
                        const std::function<void(int)>& progress);

// Search by IP: on a reply, the table becomes its one record (Done). SearchFailed and
// SearchWrongReply and SearchPortBusy leave the table as it was. The selection is cleared whatever
// happens.
Outcome searchByAddress(Session& session, const std::string& address);

}  // namespace kvt
