#include "core/flows/SearchFlows.h"

#include "core/discovery/Search.h"

namespace kvt {

Outcome listFoundDevices(std::vector<CEquipment>& table, std::vector<CEquipment> found,
                         SearchSetup setup) {
    table = std::move(found);
    if (setup == SearchSetup::PortBusy) return Outcome::SearchPortBusy;
    return table.empty() ? Outcome::NothingFound : Outcome::Done;
}

Outcome searchBroadcast(const NetworkOptions& network, std::vector<CEquipment>& table,
                        const std::atomic<bool>* cancel, const std::function<void(int)>& progress) {
    SearchSetup setup = SearchSetup::Ready;
    std::vector<CEquipment> found = runBroadcastSearch(network, cancel, progress, nullptr, &setup);
    return listFoundDevices(table, std::move(found), setup);
}

Outcome searchByAddress(const NetworkOptions& network, std::vector<CEquipment>& table,
                        const std::string& address) {
    AddressAnswer answer = queryAddress(network, address);
    switch (answer.status) {
        case AddressAnswer::Status::Found:
            table.assign(1, std::move(answer.device));
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
