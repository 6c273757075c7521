// A batch against the simulator, also run under ThreadSanitizer: rows applied on several threads
// each on its own, results in the inventory's order, devices readdressed after a verified
// write, a device that ignores the write caught and left where it is. (The command-line tests
// run the dry run and the second run that only reads.)
#include <algorithm>
#include <string>

#include "NetFixture.h"
#include "core/device/Messages.h"
#include "core/fleet/Batch.h"

namespace kvt::test {
namespace {

using kvt::sim::DeviceSetup;
using kvt::sim::Fault;

std::size_t writesSeen(const kvt::sim::Simulator& sim, std::size_t device) {
    const auto requests = sim.requests(device);
    return static_cast<std::size_t>(
        std::count_if(requests.begin(), requests.end(), [](const kvt::Bytes& r) {
            return r.size() > 3 && (r[3] == kCmdWriteUser || r[3] == kCmdWriteBackground);
        }));
}

std::string macOf(int host) {
    char text[18];
    std::snprintf(text, sizeof text, "02:00:00:00:00:%02x", host);
    return text;
}

class FleetBatchTest : public NetTest {
protected:
    static constexpr int kDevices = 10;
    static constexpr int kIgnoring = 5;   // host of the device that ignores writes
    static constexpr int kProtected = 7;  // host of the device with a user password

    kvt::sim::Simulator& startFleet() {
        std::vector<DeviceSetup> devices;
        for (int host = 2; host < 2 + kDevices; ++host) {
            DeviceSetup d = device(host, "GW-" + std::to_string(host));
            if (host == kIgnoring) d.fault.kind = Fault::Kind::IgnoreWrite;
            if (host == kProtected) d.userPassword = "pw";
            devices.push_back(d);
        }
        return startSimulator(devices);
    }

    // Every device moves from host h to host h + 100; the protected one is found by address.
    static std::string readdressCsv() {
        std::string csv = "mac,ip,current_password,ip_address\n";
        for (int host = 2; host < 2 + kDevices; ++host) {
            if (host == kProtected) {
                csv += "," + loopbackHost(host) + ",pw,";
            } else {
                csv += macOf(host) + ",,,";
            }
            csv += loopbackHost(host + 100) + "\n";
        }
        csv += macOf(99) + ",,," + loopbackHost(250) + "\n";  // no such device
        return csv;
    }
};

TEST_F(FleetBatchTest, RowsAreAppliedInParallelAndReportedInOrder) {
    auto& sim = startFleet();
    CConfiguration templ = newConfiguration(kUserConfig);
    templ.ethernet.subnetMask = "255.255.0.0";
    templ.ethernet.gateway = "0.0.0.0";
    templ.ethernet.ipAddress = "127.9.9.9";  // a template's address must never be used
    templ.advance.userPassword = "";
    const Inventory inventory = parseInventory(readdressCsv(), kUserConfig, templ);
    ASSERT_TRUE(inventory.errors.empty()) << inventory.errors.front().text();

    BatchOptions options;
    options.jobs = 4;
    options.base = templ;
    options.apply.reset = true;
    std::size_t reported = 0;
    const auto results = runBatch(loopbackSession().network, inventory, options,
                                  [&](const BatchRowResult&) { ++reported; });
    ASSERT_EQ(results.size(), static_cast<std::size_t>(kDevices + 1));
    EXPECT_EQ(reported, results.size());

    for (int host = 2; host < 2 + kDevices; ++host) {
        const std::size_t i = static_cast<std::size_t>(host - 2);
        const BatchRowResult& r = results[i];
        EXPECT_EQ(r.row, i + 2) << "results come in the inventory's order";
        EXPECT_EQ(writesSeen(sim, i), 1u) << "one write per device, however many threads";
        EXPECT_EQ(r.oldIp, loopbackHost(host));
        if (host == kIgnoring) {
            EXPECT_EQ(r.result.verdict, ApplyVerdict::VerificationFailed);
            EXPECT_FALSE(r.result.reset) << "an unverified write is never followed by a reset";
            EXPECT_EQ(sim.address(i), loopbackHost(host));
            continue;
        }
        EXPECT_EQ(r.result.verdict, ApplyVerdict::Applied)
            << host << ": " << render(r.result.message, Lang::En);
        EXPECT_TRUE(r.result.verified);
        EXPECT_TRUE(r.result.reset);
        EXPECT_EQ(sim.address(i), loopbackHost(host + 100));
        const CConfiguration held = sim.configuration(i);
        EXPECT_EQ(held.ethernet.subnetMask, "255.255.0.0") << "the template's value";
        EXPECT_EQ(held.ethernet.ipAddress, loopbackHost(host + 100));
    }
    const BatchRowResult& missing = results.back();
    EXPECT_EQ(missing.result.verdict, ApplyVerdict::Failed);
    EXPECT_EQ(missing.result.failure, Outcome::NothingFound);
}

}  // namespace
}  // namespace kvt::test
