#include "core/flows/SearchFlows.h"

#include "core/discovery/Search.h"

namespace kvt {

Outcome listFoundDevices(Session& session, std::vector<CEquipment> found, SearchSetup setup) {
    session.devices = std::move(found);
    session.clearSelection();
    if (setup == SearchSetup::PortBusy) return Outcome::SearchPortBusy;
    return session.devices.empty() ? Outcome::NothingFound : Outcome::Done;
}

Outcome searchBroadcast(Session& session, const std::atomic<bool>* cancel,
                        const std::function<void(int)>& progress) {
    SearchSetup setup = SearchSetup::Ready;
    std::vector<CEquipment> found =
        runBroadcastSearch(session.network, cancel, progress, nullptr, &setup);
    return listFoundDevices(session, std::move(found), setup);
}

Outcome searchByAddress(Session& session, const std::string& address) {
    AddressAnswer answer = queryAddress(session.network, address);
    // Also after a failure: no earlier selection survives a search.
    session.clearSelection();
    switch (answer.status) {
        case AddressAnswer::Status::Found:
            session.devices.assign(1, std::move(answer.device));
            return Outcome::Done;
        case AddressAnswer::Status::WrongCode:
            return Outcome::SearchWrongReply;
        case AddressAnswer::Status::PortBusy:
            return Outcome::SearchPortBusy;
        case AddressAnswer::Status::Failed:
            break;
    }
    return Outcome::SearchFailed;
}

}  // namespace kvt
