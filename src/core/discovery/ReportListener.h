#pragma once
// The IP address report listener: a thread that receives report datagrams on one UDP port and
// keeps the report table. Its owner hears about row updates through callbacks that run on the
// listener thread (the desktop tool queues them to the user-interface thread): one per report,
// or one per batch of reports taken from the socket together, which lets a window repaint
// once for a flood of reports.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/discovery/ReportTable.h"
#include "core/net/Socket.h"
#include "core/platform/SystemError.h"
#include "core/platform/WakeEvent.h"

namespace kvt {

class ReportListener {
public:
    // Row `index` changed (inserted or updated) to `record`.
    using RowUpdated = std::function<void(std::size_t index, const ReportRecord& record)>;
    // The listener has returned to idle (after stop(), or when it could not start).
    using Stopped = std::function<void()>;
    struct RowUpdate {
        std::size_t index;
        ReportRecord record;
    };
    // The rows that a batch of reports changed, each once with its latest state, in row order.
    using RowsUpdated = std::function<void(std::vector<RowUpdate> updates)>;

    static constexpr int kReceiveTimeoutMs = 350;
    // Reports taken from the socket in one receive call.
    static constexpr std::size_t kBatch = 64;

    // `onRow` may be empty when only batches are wanted (onRowsUpdated).
    ReportListener(RowUpdated onRow, Stopped onStopped, std::string bindAddress = "0.0.0.0");
    ~ReportListener();  // asks the thread to stop and joins it
    ReportListener(const ReportListener&) = delete;
    ReportListener& operator=(const ReportListener&) = delete;

    // Batched row updates, alongside (or instead of) the per-report callback. Set it before
    // the first start().
    void onRowsUpdated(RowsUpdated onRows) { m_onRows = std::move(onRows); }

    // Empties the table, binds a new socket on `port` and starts (or resumes) receiving.
    // false (with the reason in `error`, and the system's error in `failure`, e.g. one that
    // says addressInUse() for a port in use) when the socket cannot be set up; the listener
    // stays idle then.
    bool start(std::uint16_t port, std::string* error = nullptr,
               platform::SystemError* failure = nullptr);
    // Asks the thread to stop; it wakes at once and returns to idle (at the latest within one
    // receive time-out).
    void stop();
    bool listening() const;
    std::vector<ReportRecord> snapshot() const;
    std::size_t datagramsReceived() const;
    // Devices heard while the table was full (ReportTable::kCapacity rows).
    std::size_t devicesNotListed() const;

private:
    void run();
    // Receives on `socket` until a stop (or the destructor) is requested; closes it then.
    void listen(UdpSocket socket);

    // Wakes the thread out of its wait for reports (stop, destructor).
    void wake();
    // A report's time column: the same text for every report within one second.
    const std::string& timeText();

    RowUpdated m_onRow;
    RowsUpdated m_onRows;
    Stopped m_onStopped;
    std::string m_bindAddress;
    platform::WakeEvent m_wake;           // signalled while a stop or quit is pending
    platform::SystemError m_wakeFailure;  // why m_wake could not be made
    std::time_t m_timeTextOf = -1;        // listener thread only
    std::string m_timeText;               // listener thread only

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
