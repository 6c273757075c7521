#pragma once
// The IP address report listener: a thread that receives report datagrams on one UDP port and
// keeps the report table. Its owner hears about row updates through a callback that runs on the
// listener thread (the desktop tool queues it to the user-interface thread).
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/discovery/ReportTable.h"

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
};

}  // namespace kvt
