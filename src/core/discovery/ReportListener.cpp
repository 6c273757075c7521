#include "core/discovery/ReportListener.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

namespace kvt {

namespace {

std::string socketError(const char* what, std::uint16_t port, int error) {
    return std::string(what) + " UDP port " + std::to_string(port) + ": " + std::strerror(error);
}

}  // namespace

ReportListener::ReportListener(RowUpdated onRow, Stopped onStopped, std::string bindAddress)
    : m_onRow(std::move(onRow)),
      m_onStopped(std::move(onStopped)),
      m_bindAddress(std::move(bindAddress)) {}

ReportListener::~ReportListener() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_stopRequested = true;
    m_changed.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

bool ReportListener::start(std::uint16_t port, std::string* error) {
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
        m_table.clear();
        m_datagrams = 0;
    }

    UdpSocket socket;
    int failure = 0;
    const char* what = nullptr;
    if (!socket.valid()) {
        failure = errno;
        what = "cannot create a socket for";
    } else if (!socket.setReceiveTimeout(std::chrono::milliseconds(kReceiveTimeoutMs))) {
        failure = errno;
        what = "cannot set the receive time-out on";
    } else if (!socket.bind(m_bindAddress, port)) {
        failure = errno;
        what = "cannot listen on";
    }
    if (what) {
        if (error) *error = socketError(what, port, failure);
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
}

bool ReportListener::listening() const {
    std::lock_guard lock(m_mutex);
    return m_listening;
}

std::vector<ReportRecord> ReportListener::snapshot() const {
    std::lock_guard lock(m_mutex);
    return m_table.rows();
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
    std::array<std::uint8_t, ReportTable::kDatagramSize> buffer{};
    while (!m_stopRequested) {
        const long received = socket.receive(buffer);
        if (received < 0) continue;  // time-out: look at the stop request again
        const std::string timeText = reportTimeText(std::time(nullptr));
        std::optional<std::size_t> row;
        ReportRecord record;
        {
            std::lock_guard lock(m_mutex);
            row = m_table.apply(std::span(buffer.data(), static_cast<std::size_t>(received)),
                                timeText);
            if (row) record = m_table.rows()[*row];
        }
        ++m_datagrams;
        if (row && m_onRow) m_onRow(*row, record);
    }
    socket.shutdownAndClose();
}

}  // namespace kvt
