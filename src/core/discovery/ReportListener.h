#pragma once
// The IP address report listener: a thread that receives report datagrams on one UDP port and
// keeps the report table. Its owner hears about row updates through a callback that runs on the
// listener thread (the desktop tool queues it to the user-interface thread).
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/discovery/ReportTable.h"
#include "core/net/Socket.h"

namespace kvt {

class ReportListener {
public:
    // Row `index` changed (inserted or updated) to `record`.
    using RowUpdated = std::function<void(std::size_t index, const ReportRecord& record)>;
    // The listener has returned to idle (after stop(), or when it could not start).
    using Stopped = std::function<void()>;

    static constexpr int kReceiveTimeoutMs = 350;

    ReportListener(RowUpdated onRow, Stopped onStopped, std::string bindAddress = "0.0.0.0");
    ~ReportListener();  // asks the thread to stop and joins it
    ReportListener(const ReportListener&) = delete;
    ReportListener& operator=(const ReportListener&) = delete;

    // Empties the table, binds a new socket on `port` and starts (or resumes) receiving.
    // false (with the reason in `error`) when the socket cannot be set up; the listener stays
    // idle then.
    bool start(std::uint16_t port, std::string* error = nullptr);
    // Asks the thread to stop; it returns to idle within one receive time-out.
    void stop();
    bool listening() const;
    std::vector<ReportRecord> snapshot() const;
    std::size_t datagramsReceived() const;

private:
    void run();
    // Receives on `socket` until a stop (or the destructor) is requested; closes it then.
    void listen(UdpSocket socket);

    RowUpdated m_onRow;
    Stopped m_onStopped;
    std::string m_bindAddress;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    ReportTable m_table;                    // guarded by m_mutex
    std::optional<UdpSocket> m_nextSocket;  // handed from start() to the thread
    bool m_listening = false;               // guarded: between start() and the thread's idle
    bool m_quit = false;                    // guarded: the destructor's request
    std::atomic<bool> m_stopRequested{false};
    std::atomic<std::size_t> m_datagrams{0};
    std::thread m_thread;
};

}  // namespace kvt
