// Times the broadcast search against many simulated gateways on this process's loopback block:
// how many devices the one search lists (all of them must be) and how long the search took
// beyond its own waits (the 300 ms tick before the query and the 350 ms receive window that
// must pass in silence after the last reply).
//
// Usage: kvt_bench_search [devices (1..250, default 250)] [runs (default 5)]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/discovery/Search.h"
#include "sim/Simulator.h"
#include "support/TestNet.h"

int main(int argc, char** argv) {
    using namespace std::chrono;
    const int devices = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 250) : 250;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    // Host 1 answers discovery, hosts 2..251 are the gateways, host 254 is the tool.
    std::vector<kvt::sim::DeviceSetup> setups;
    for (int i = 0; i < devices; ++i) {
        kvt::sim::DeviceSetup setup;
        setup.address = kvt::test::loopbackHost(2 + i);
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

    const auto ownWaits =
        milliseconds(kvt::BroadcastSearch::kTickMs + kvt::BroadcastSearch::kReceiveWindowMs);
    std::vector<double> overheads;
    bool allListed = true;
    for (int run = 1; run <= runs; ++run) {
        const auto queriesBefore = simulator.discoveryQueries();
        const auto start = steady_clock::now();
        const auto records = kvt::runBroadcastSearch(network, nullptr, {});
        const auto took = duration<double, std::milli>(steady_clock::now() - start).count();
        const auto queries = simulator.discoveryQueries() - queriesBefore;
        const double overhead = took - static_cast<double>(ownWaits.count());
        overheads.push_back(overhead);
        allListed =
            allListed && records.size() == static_cast<std::size_t>(devices) && queries == 1;
        std::printf(
            "run %d: %zu of %d devices listed, %zu quer%s, %.1f ms in all, %.1f ms beyond "
            "the protocol's waits\n",
            run, records.size(), devices, static_cast<std::size_t>(queries),
            queries == 1 ? "y" : "ies", took, overhead);
    }
    std::sort(overheads.begin(), overheads.end());
    std::printf("beyond the protocol's waits: min %.1f ms, median %.1f ms, max %.1f ms\n",
                overheads.front(), overheads[overheads.size() / 2], overheads.back());
    std::printf("%s\n",
                allListed ? "every search listed every device" : "SOME SEARCH MISSED DEVICES");
    return allListed ? 0 : 1;
}
