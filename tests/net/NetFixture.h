#pragma once
// Shared pieces of the network tests: a fixture that proves a test leaves no socket or thread
// behind, a scripted FlowUi, simulator set-up on this process's loopback block, and bounded
// waits.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/discovery/Search.h"
#include "core/flows/DeviceFlows.h"
#include "core/flows/FlowUi.h"
#include "core/flows/SearchFlows.h"
#include "sim/Simulator.h"
#include "support/TestNet.h"

namespace kvt::test {

// What the flows work on in these tests, as the desktop tool assembles it: the device table a
// search fills, the row the flows talk to, the network options and the configuration document.
struct Bench : ConfigDocument {
    using Selection = kvt::Selection;
    NetworkOptions network;
    std::vector<CEquipment> devices;
    int selectedIndex = -1;

    Selection selectRow(int row) {
        if (row < 0 || row >= static_cast<int>(devices.size())) return Selection::None;
        const Selection fit = selectionOf(devices[static_cast<std::size_t>(row)]);
        if (fit == Selection::Supported) selectedIndex = row;
        return fit;
    }
    const CEquipment* selectedDevice() const {
        if (selectedIndex < 0 || selectedIndex >= static_cast<int>(devices.size())) return nullptr;
        return &devices[static_cast<std::size_t>(selectedIndex)];
    }
    FlowTarget target() const {
        FlowTarget target{network, std::nullopt};
        if (const CEquipment* device = selectedDevice()) target.device = *device;
        return target;
    }
};

inline std::size_t entriesIn(const char* directory) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(directory))
        ++count;
    return count;
}

// Handles (descriptors) this process holds; nullopt where the system does not count them
// (Wine reports none).
std::optional<std::size_t> openHandles();
std::size_t runningThreads();

// Polls `done` until it holds or `limit` passes; true when it held.
inline bool waitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds limit = std::chrono::milliseconds(3000)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

inline std::chrono::milliseconds elapsedSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start);
}

// Every network test derives from this: descriptors and threads are counted before the test
// and must be back to that number after it (peers are released first, in releasePeers).
class NetTest : public ::testing::Test {
protected:
    void SetUp() override {
        // ThreadSanitizer starts a helper thread of its own at the first thread; start one now
        // so that the helper belongs to the baseline.
        std::thread([] {}).join();
        m_fds = openHandles();
        m_tasks = runningThreads();
    }
    void TearDown() override {
        releasePeers();
        // A test that skipped started nothing (the system's own socket threads may have).
        if (IsSkipped()) return;
        // A joined thread leaves the task list a moment after join returns.
        EXPECT_TRUE(waitFor([&] { return runningThreads() == m_tasks; }))
            << "threads left behind: " << runningThreads() << " vs " << m_tasks;
        if (m_fds) {
            EXPECT_EQ(openHandles(), m_fds) << "descriptors left behind";
        } else if (static bool said = false; !std::exchange(said, true)) {
            std::printf("not checked: this system does not count the handles a process holds\n");
        }
    }
    virtual void releasePeers() { m_sims.clear(); }

    // Bench pointed at this process's loopback block: discovery goes to host 1, the search
    // socket binds host 200.
    Bench loopbackSession(int discoveryHost = 1) const {
        Bench session;
        session.network.discoveryTarget = loopbackHost(discoveryHost);
        session.network.localAddress = loopbackHost(200);
        session.network.connectTimeoutMs = 1000;
        return session;
    }

    // Starts a simulator with its discovery socket on host `discoveryHost`.
    kvt::sim::Simulator& startSimulator(std::vector<kvt::sim::DeviceSetup> devices,
                                        int discoveryHost = 1) {
        kvt::sim::Options options;
        options.discoveryAddress = loopbackHost(discoveryHost);
        options.log = false;
        m_sims.push_back(std::make_unique<kvt::sim::Simulator>(options, std::move(devices)));
        std::string error;
        if (!m_sims.back()->start(&error)) ADD_FAILURE() << "simulator: " << error;
        return *m_sims.back();
    }

    static kvt::sim::DeviceSetup device(int host, const std::string& name) {
        kvt::sim::DeviceSetup setup;
        setup.address = loopbackHost(host);
        setup.name = name;
        setup.mac = {0x02, 0x00, 0x00, 0x00, 0x00, static_cast<std::uint8_t>(host)};
        return setup;
    }

    std::vector<std::unique_ptr<kvt::sim::Simulator>> m_sims;

private:
    std::optional<std::size_t> m_fds;
    std::size_t m_tasks = 0;
};

// Answers the flows like a user who types the scripted passwords one after the other and
// then gives up, and who answers the reset question with `resetAnswer`.
class ScriptedUi : public FlowUi, public DownloadPrompt {
public:
    void message(std::uint32_t textId) override { messages.push_back(textId); }
    PasswordReply askPassword(const FlowTarget& target, ConfigKind kind) override {
        ++passwordDialogs;
        while (!passwords.empty()) {
            const Gbk password = passwords.front();
            passwords.pop_front();
            PasswordAttempt attempt = attemptPasswordCheck(target, kind, password, *this);
            if (attempt.answer) return {std::move(attempt.answer), Outcome::Done};
            report(attempt.outcome);
        }
        return {std::nullopt, Outcome::Cancelled};
    }
    bool confirmReset() override {
        ++resetQuestions;
        return resetAnswer;
    }
    void runBlocking(const BlockingStep& step, const std::function<void()>& work) override {
        ++blockingSteps;
        if (cancelWhile != step.what) {
            work();
            return;
        }
        // As the desktop tool's Cancel: another thread cancels while the step waits.
        cancelWhile.reset();
        std::thread canceller([this] {
            std::this_thread::sleep_for(cancelAfter);
            token->cancel();
        });
        work();
        canceller.join();
    }
    CancelToken* cancelToken() override { return token.get(); }
    // Cancels the first step that waits for `step`, after `cancelAfter`.
    void cancelDuring(WaitFor step) {
        token = std::make_unique<CancelToken>();
        cancelWhile = step;
    }
    void downloadEnded(const DownloadOutcome& outcome) override {
        downloads.push_back(outcome.write);
    }

    std::deque<Gbk> passwords;
    bool resetAnswer = false;
    std::vector<std::uint32_t> messages;
    int passwordDialogs = 0;
    int resetQuestions = 0;
    int blockingSteps = 0;
    std::optional<WaitFor> cancelWhile;
    std::chrono::milliseconds cancelAfter{150};
    // Only made for a test that cancels: it holds a descriptor, which the leak tests count.
    std::unique_ptr<CancelToken> token;
    std::vector<Outcome> downloads;
};

}  // namespace kvt::test
