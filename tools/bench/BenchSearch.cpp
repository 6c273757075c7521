// Times the broadcast search against many simulated gateways on loopback: how many devices one
// search lists (all of them must be), how many a socket with the system's default receive
// buffer loses of the same burst, and how long the search took beyond its own waits (the
// 300 ms tick before the query, the replies as the devices send them, and the 350 ms receive
// window that must pass in silence after the last reply). Then the same for a search by IP
// that gets no reply (its own wait: 2 s).
//
// Usage: kvt_bench_search [devices (1..1000, default 1000)] [runs (default 5)]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/discovery/Search.h"
#include "sim/Simulator.h"
#include "support/TestNet.h"

namespace {

using namespace std::chrono;

constexpr int kPerBlock = 250;  // hosts 2..251 of each /24 block are gateways

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Runs {
    std::vector<double> overheads;
    std::vector<double> totals;  // the same with the burst counted in
    std::vector<std::size_t> listed;
    bool oneQueryEach = true;
};

Runs searchRuns(const kvt::NetworkOptions& network, const kvt::sim::Simulator& simulator,
                int devices, int runs, const char* label) {
    const auto ownWaits =
        milliseconds(kvt::BroadcastSearch::kTickMs + kvt::BroadcastSearch::kReceiveWindowMs);
    Runs result;
    for (int run = 1; run <= runs; ++run) {
        const auto queriesBefore = simulator.discoveryQueries();
        kvt::SearchTimes times;
        const auto start = steady_clock::now();
        const auto records = kvt::runBroadcastSearch(network, nullptr, {}, &times);
        const auto took = duration<double, std::milli>(steady_clock::now() - start).count();
        const auto queries = simulator.discoveryQueries() - queriesBefore;
        // The devices' share: from the query to the last reply of the burst.
        const double burst =
            duration<double, std::milli>(times.lastHeard - times.lastQuery).count();
        const double overhead = took - static_cast<double>(ownWaits.count()) - burst;
        result.overheads.push_back(overhead);
        result.totals.push_back(took - static_cast<double>(ownWaits.count()));
        result.listed.push_back(records.size());
        result.oneQueryEach = result.oneQueryEach && queries == 1;
        std::printf(
            "%s, run %d: %zu of %d devices listed (%zu lost), %zu quer%s, %.1f ms in all, "
            "replies came in over %.1f ms, %.1f ms beyond the protocol's waits\n",
            label, run, records.size(), devices, static_cast<std::size_t>(devices) - records.size(),
            static_cast<std::size_t>(queries), queries == 1 ? "y" : "ies", took, burst, overhead);
    }
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    const int devices = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 4 * kPerBlock) : 1000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    // Each device holds two sockets of the simulator.
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &files);
    }

    // Host 1 of this process's own block answers discovery, host 254 is the tool; the gateways
    // fill hosts 2..251 of as many blocks as they need.
    std::vector<kvt::sim::DeviceSetup> setups;
    for (int i = 0; i < devices; ++i) {
        kvt::sim::DeviceSetup setup;
        setup.address = kvt::test::loopbackBlockHost(i / kPerBlock, 2 + i % kPerBlock);
        setup.name = "bench" + std::to_string(i + 1);
        setup.mac = {0x02,
                     0xbe,
                     0x00,
                     0x00,
                     static_cast<std::uint8_t>(i >> 8),
                     static_cast<std::uint8_t>(i)};
        setups.push_back(setup);
    }
    kvt::sim::Options options;
    options.discoveryAddress = kvt::test::loopbackHost(1);
    options.log = false;
    kvt::sim::Simulator simulator(options, setups);
    std::string error;
    if (!simulator.start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }

    kvt::NetworkOptions network;
    network.discoveryTarget = kvt::test::loopbackHost(1);
    network.localAddress = kvt::test::loopbackHost(254);

    // The same burst into a socket that keeps the system's default receive buffer.
    kvt::NetworkOptions defaultBuffer = network;
    defaultBuffer.searchReceiveBuffer = 0;
    const Runs small = searchRuns(defaultBuffer, simulator, devices, runs, "default buffer");
    std::size_t worst = static_cast<std::size_t>(devices);
    for (std::size_t listed : small.listed) worst = std::min(worst, listed);

    const Runs sized = searchRuns(network, simulator, devices, runs, "sized buffer");
    bool allListed = sized.oneQueryEach;
    for (std::size_t listed : sized.listed)
        allListed = allListed && listed == static_cast<std::size_t>(devices);

    // Search by IP of an address where nobody answers: the 2 s receive limit and nothing more.
    std::vector<double> addressOverheads;
    for (int run = 1; run <= std::min(runs, 3); ++run) {
        const auto start = steady_clock::now();
        kvt::queryAddress(network, kvt::test::loopbackHost(253));
        addressOverheads.push_back(
            duration<double, std::milli>(steady_clock::now() - start).count() - 2000.0);
    }

    std::printf("\nsummary (%d devices, %d runs each)\n", devices, runs);
    std::vector<std::size_t> listed = small.listed;
    std::sort(listed.begin(), listed.end());
    std::printf("  default receive buffer: %zu lost at worst, median %zu of %d listed\n",
                static_cast<std::size_t>(devices) - worst, listed[listed.size() / 2], devices);
    std::printf("  sized receive buffer: %s\n",
                allListed ? "every search listed every device with one query"
                          : "SOME SEARCH MISSED DEVICES");
    std::printf(
        "  broadcast search beyond the protocol's waits (300 ms tick, the replies, 350 ms of "
        "silence): median %.1f ms\n",
        median(sized.overheads));
    std::printf(
        "  broadcast search beyond 300 + 350 ms, the devices' burst included: median %.1f ms\n",
        median(sized.totals));
    std::printf("  search by IP without reply, beyond its 2000 ms: median %.1f ms\n",
                median(addressOverheads));
    return allListed ? 0 : 1;
}
