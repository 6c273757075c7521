#include "core/fleet/Batch.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include "core/config/Fields.h"
#include "core/discovery/Search.h"
#include "core/fleet/Passwords.h"

namespace kvt {
namespace {

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Where each row's device is; nullopt for a row no search found.
std::vector<std::optional<CEquipment>> locate(const NetworkOptions& network,
                                              const Inventory& inventory) {
    std::vector<CEquipment> heard;
    const bool byMac = std::any_of(inventory.rows.begin(), inventory.rows.end(),
                                   [](const InventoryRow& row) { return !row.mac.empty(); });
    if (byMac) heard = runBroadcastSearch(network, nullptr, {});
    std::vector<std::optional<CEquipment>> found(inventory.rows.size());
    for (std::size_t i = 0; i < inventory.rows.size(); ++i) {
        const InventoryRow& row = inventory.rows[i];
        const auto match = std::find_if(heard.begin(), heard.end(), [&row](const CEquipment& d) {
            return row.mac.empty() ? d.ipAddress == row.ip : lowered(d.macAddress) == row.mac;
        });
        if (match != heard.end()) {
            found[i] = *match;
        } else if (row.mac.empty()) {
            // The discovery socket's port is one for the process: these queries go one by one.
            AddressAnswer answer = queryAddress(network, row.ip);
            if (answer.status == AddressAnswer::Status::Found) found[i] = std::move(answer.device);
        }
    }
    return found;
}

ApplyResult notFound(const InventoryRow& row, ConfigKind kind) {
    ApplyResult result;
    result.kind = kind;
    result.mac = row.mac;
    result.ip = row.ip;
    result.failure = row.mac.empty() ? Outcome::SearchFailed : Outcome::NothingFound;
    result.message = row.mac.empty() ? text(kTxtNoAnswerAt, {literal(row.ip)})
                                     : text(kTxtNoAnswerMac, {literal(row.mac)});
    return result;
}

}  // namespace

std::vector<BatchRowResult> runBatch(const NetworkOptions& network, const Inventory& inventory,
                                     const BatchOptions& options,
                                     const std::function<void(const BatchRowResult&)>& done) {
    const std::vector<std::optional<CEquipment>> devices = locate(network, inventory);
    std::vector<BatchRowResult> results(inventory.rows.size());
    std::mutex doneMutex;
    std::atomic<std::size_t> next{0};

    const auto work = [&] {
        for (std::size_t i = next++; i < inventory.rows.size(); i = next++) {
            const InventoryRow& row = inventory.rows[i];
            BatchRowResult& out = results[i];  // this thread's alone
            out.row = row.row;
            if (!devices[i]) {
                out.oldIp = row.ip;
                out.result = notFound(row, options.kind);
            } else {
                out.oldIp = gbkToUtf8(devices[i]->ipAddress);
                ApplyOptions apply = options.apply;
                if (row.currentPassword) apply.passwords.push_back(*row.currentPassword);
                const CConfiguration planned =
                    withRowValues(options.base.value_or(CConfiguration{}), row, options.kind);
                const bool setsPassword =
                    row.sets(fieldKey(passwordField(options.kind))) || options.base.has_value();
                apply.passwords = passwordsBeforeWrite(
                    std::move(apply.passwords),
                    setsPassword ? std::optional(passwordOf(planned, options.kind)) : std::nullopt);
                const auto wanted = [&](const CConfiguration& current) {
                    CConfiguration base = options.base.value_or(current);
                    base.ethernet.ipAddress = current.ethernet.ipAddress;
                    return withRowValues(base, row, options.kind);
                };
                out.result = applyConfiguration(network, *devices[i], options.kind, wanted, apply);
            }
            if (done) {
                std::lock_guard lock(doneMutex);
                done(out);
            }
        }
    };
    const unsigned jobs = std::clamp<unsigned>(options.jobs, 1, 64);
    std::vector<std::thread> workers;
    for (unsigned j = 1; j < std::min<std::size_t>(jobs, inventory.rows.size()); ++j)
        workers.emplace_back(work);
    work();
    for (std::thread& worker : workers) worker.join();
    return results;
}

}  // namespace kvt
