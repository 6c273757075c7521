#include "core/discovery/ReportListener.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>

namespace kvt {

namespace {

// Room for some 50 ms of a flood of 100,000 reports a second, should the thread be kept from
// running for that long.
constexpr int kReceiveBuffer = 4 * 1024 * 1024;

std::string socketError(const char* what, std::uint16_t port, platform::SystemError error) {
    return std::string(what) + " UDP port " + std::to_string(port) + ": " + error.text();
}

}  // namespace

ReportListener::ReportListener(RowUpdated onRow, Stopped onStopped, std::string bindAddress)
    : m_onRow(std::move(onRow)),
      m_onStopped(std::move(onStopped)),
      m_bindAddress(std::move(bindAddress)) {
    if (!m_wake.valid()) m_wakeFailure = platform::SystemError::last();
}

ReportListener::~ReportListener() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_stopRequested = true;
    wake();
    m_changed.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

void ReportListener::wake() {
    m_wake.signal();
}

const std::string& ReportListener::timeText() {
    const std::time_t now = std::time(nullptr);
    if (now != m_timeTextOf) {
        m_timeText = reportTimeText(now);
        m_timeTextOf = now;
    }
    return m_timeText;
}

bool ReportListener::start(std::uint16_t port, std::string* error,
                           platform::SystemError* failureOut) {
    {
        std::unique_lock lock(m_mutex);
        if (m_listening && !m_stopRequested) {
            if (error) *error = "already listening";
            return false;
        }
        // A stop that the thread has not seen yet: it returns to idle within one receive
        // time-out, after which its old socket is closed.
        const auto limit = std::chrono::milliseconds(3 * kReceiveTimeoutMs);
        if (!m_changed.wait_for(lock, limit, [this] { return !m_listening; })) {
            if (error) *error = "the listener did not stop in time";
            return false;
        }
        m_stopRequested = false;
        // A wake-up left from the last stop must not end the new run.
        m_wake.drain();
        m_table.clear();
        m_datagrams = 0;
    }

    UdpSocket socket;
    platform::SystemError failure;
    const char* what = nullptr;
    if (!socket.valid()) {
        failure = platform::SystemError::last();
        what = "cannot create a socket for";
    } else if (!socket.setReceiveTimeout(std::chrono::milliseconds(kReceiveTimeoutMs))) {
        failure = platform::SystemError::last();
        what = "cannot set the receive time-out on";
    } else if (!socket.setExclusiveAddress() || !socket.bind(m_bindAddress, port)) {
        failure = platform::SystemError::last();
        what = "cannot listen on";
    } else if (!m_wake.valid()) {
        failure = m_wakeFailure;
        what = "cannot create the stop event for";
    }
    if (what) {
        if (error) *error = socketError(what, port, failure);
        if (failureOut) *failureOut = failure;
        if (m_onStopped) m_onStopped();
        return false;
    }

    {
        std::lock_guard lock(m_mutex);
        m_nextSocket.emplace(std::move(socket));
        m_listening = true;
        // The thread is created at the first start and waits while idle.
        if (!m_thread.joinable()) m_thread = std::thread(&ReportListener::run, this);
    }
    m_changed.notify_all();
    return true;
}

void ReportListener::stop() {
    m_stopRequested = true;
    wake();
}

bool ReportListener::listening() const {
    std::lock_guard lock(m_mutex);
    return m_listening;
}

std::vector<ReportRecord> ReportListener::snapshot() const {
    std::lock_guard lock(m_mutex);
    return m_table.rows();
}

std::size_t ReportListener::devicesNotListed() const {
    std::lock_guard lock(m_mutex);
    return m_table.notListed();
}

std::size_t ReportListener::datagramsReceived() const {
    return m_datagrams;
}

void ReportListener::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_quit || m_nextSocket.has_value(); });
        if (m_quit) {
            m_nextSocket.reset();
            m_listening = false;
            return;
        }
        UdpSocket socket = std::move(*m_nextSocket);
        m_nextSocket.reset();
        lock.unlock();
        listen(std::move(socket));
        lock.lock();
        m_listening = false;
        const bool quitting = m_quit;
        m_changed.notify_all();
        // Nobody is left to tell when the owner is being destroyed.
        if (!quitting && m_onStopped) {
            lock.unlock();
            m_onStopped();
            lock.lock();
        }
    }
}

void ReportListener::listen(UdpSocket socket) {
    // Best effort: a smaller buffer only loses reports of a flood.
    socket.enlargeReceiveBuffer(kReceiveBuffer);
    DatagramBatch batch(kBatch, ReportTable::kDatagramSize);
    std::vector<std::pair<std::size_t, ReportRecord>> perReport;
    std::vector<std::size_t> changed;
    while (!m_stopRequested) {
        const auto timeOut =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kReceiveTimeoutMs);
        // Time-out or a wake-up: look at the stop request again.
        if (!socket.waitReadable(timeOut, &m_wake)) continue;
        const long received = socket.receiveQueued(batch);
        if (received <= 0) continue;
        const std::string& time = timeText();
        perReport.clear();
        changed.clear();
        std::vector<RowUpdate> updates;
        {
            std::lock_guard lock(m_mutex);
            for (std::size_t i = 0; i < static_cast<std::size_t>(received); ++i) {
                const auto row = m_table.apply(batch.bytes(i), time);
                if (!row) continue;
                if (m_onRow) perReport.emplace_back(*row, m_table.rows()[*row]);
                if (m_onRows) changed.push_back(*row);
            }
            if (!changed.empty()) {
                std::sort(changed.begin(), changed.end());
                changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
                updates.reserve(changed.size());
                for (std::size_t row : changed) updates.push_back({row, m_table.rows()[row]});
            }
        }
        m_datagrams += static_cast<std::size_t>(received);
        for (const auto& [row, record] : perReport) m_onRow(row, record);
        if (!updates.empty()) m_onRows(std::move(updates));
    }
    socket.shutdownAndClose();
}

}  // namespace kvt
