// Times the IP address report listener under a flood on loopback: reports sent at 100,000 a
// second for a few seconds (how many reached the table, how many were lost), then as fast as
// one sender can (the rate the table took them in), then how long a stop takes.
//
// Usage: kvt_bench_listener [seconds per phase (default 2)]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "core/discovery/ReportListener.h"
#include "core/net/Socket.h"
#include "support/ReportDatagram.h"
#include "support/TestNet.h"

namespace {

using namespace std::chrono;
using Clock = steady_clock;

constexpr std::uint16_t kPort = 16800;
constexpr std::size_t kDevices = 250;  // every report updates a row of the 255
constexpr std::size_t kChunk = 100;    // reports per send call

// Sends reports of kDevices devices, `perSecond` a second (0: as fast as it can), until
// `until`; returns how many went out.
std::size_t flood(double perSecond, Clock::time_point until) {
    const kvt::platform::Socket socket(kvt::platform::Socket::Kind::Udp);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(kPort);
    ::inet_aton(kvt::test::loopbackHost(1).c_str(), &target.sin_addr);
    std::vector<std::vector<std::uint8_t>> reports;
    for (std::size_t d = 0; d < kDevices; ++d)
        reports.push_back(kvt::test::reportDatagram(static_cast<std::uint8_t>(d), {10, 0, 0, 1},
                                                    "bench" + std::to_string(d)));
    std::vector<iovec> data(kChunk);
    std::vector<mmsghdr> messages(kChunk);
    std::size_t sent = 0;
    const auto start = Clock::now();
    while (Clock::now() < until) {
        for (std::size_t i = 0; i < kChunk; ++i) {
            auto& report = reports[(sent + i) % kDevices];
            data[i] = {report.data(), report.size()};
            messages[i] = {};
            messages[i].msg_hdr.msg_name = &target;
            messages[i].msg_hdr.msg_namelen = sizeof target;
            messages[i].msg_hdr.msg_iov = &data[i];
            messages[i].msg_hdr.msg_iovlen = 1;
        }
        const int n = ::sendmmsg(static_cast<int>(socket.handle()), messages.data(), kChunk, 0);
        if (n > 0) sent += static_cast<std::size_t>(n);
        if (perSecond > 0) {
            // Keep to the rate: the next chunk is due when the reports so far are.
            const auto due = start + duration_cast<Clock::duration>(
                                         duration<double>(static_cast<double>(sent) / perSecond));
            std::this_thread::sleep_until(due);
        }
    }
    return sent;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::max(0.5, std::atof(argv[1])) : 2.0;
    std::atomic<std::size_t> batches{0};
    kvt::ReportListener listener(nullptr, nullptr, kvt::test::loopbackHost(1));
    // The owner a window would be: one call per batch.
    listener.onRowsUpdated([&](std::vector<kvt::ReportListener::RowUpdate>) { ++batches; });
    std::string error;
    if (!listener.start(kPort, &error)) {
        std::fprintf(stderr, "listener: %s\n", error.c_str());
        return 1;
    }
    const auto settle = [&](std::size_t sent) {
        // Whatever is still queued is taken in within moments (a busy machine may keep the
        // thread from running for a while); a report the kernel dropped never comes.
        const auto end = Clock::now() + 3s;
        while (listener.datagramsReceived() < sent && Clock::now() < end)
            std::this_thread::sleep_for(10ms);
    };

    // 100,000 reports a second.
    constexpr double kRate = 100'000;
    auto start = Clock::now();
    std::size_t sent =
        flood(kRate, start + duration_cast<Clock::duration>(duration<double>(seconds)));
    double took = duration<double>(Clock::now() - start).count();
    settle(sent);
    std::size_t received = listener.datagramsReceived();
    const bool keptUp = received == sent;
    std::printf(
        "paced: %zu reports sent in %.2f s (%.0f/s), %zu in the table, %zu lost, %zu "
        "batch calls\n",
        sent, took, static_cast<double>(sent) / took, received, sent - received, batches.load());

    // As fast as one sender goes.
    const std::size_t before = listener.datagramsReceived();
    batches = 0;
    start = Clock::now();
    sent = flood(0, start + duration_cast<Clock::duration>(duration<double>(seconds)));
    took = duration<double>(Clock::now() - start).count();
    settle(before + sent);
    received = listener.datagramsReceived() - before;
    std::printf(
        "flood: %zu reports sent in %.2f s (%.0f/s), %zu in the table (%.0f/s), %zu "
        "lost, %zu batch calls\n",
        sent, took, static_cast<double>(sent) / took, received,
        static_cast<double>(received) / took, sent - received, batches.load());

    // A stop while the listener waits for reports.
    std::this_thread::sleep_for(100ms);
    start = Clock::now();
    listener.stop();
    while (listener.listening() && Clock::now() - start < 2s) std::this_thread::yield();
    const double stopMs = duration<double, std::milli>(Clock::now() - start).count();

    const auto table = listener.snapshot();
    std::printf("\nsummary\n");
    std::printf("  100,000 reports/s: %s\n",
                keptUp ? "every report reached the table" : "SOME REPORTS WERE LOST");
    std::printf("  listener rate under a flood: %.0f reports/s into a table of %zu rows\n",
                static_cast<double>(received) / took, table.size());
    std::printf("  stop of a quiet listener: %.2f ms (its receive time-out: %d ms)\n", stopMs,
                kvt::ReportListener::kReceiveTimeoutMs);
    return keptUp ? 0 : 1;
}
