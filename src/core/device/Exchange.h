#pragma once
// The steps of one exchange with a device's configuration port: a bounded connect, sending one
// request, receiving a 16-byte reply or a configuration image. Each step says only whether it
// worked; the flows (core/flows) decide what that means for the user.
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/device/Messages.h"
#include "core/net/Socket.h"

namespace kvt {

// What a blocking step waits for, so that whoever runs it can say so while it lasts.
enum class WaitFor : std::uint8_t { Connect, PasswordCheck, Read, Download, Reset };

struct BlockingStep {
    WaitFor what = WaitFor::Connect;
    std::string device;  // the device's address
};

// Runs the blocking part of a step. The desktop tool runs it off the user-interface thread,
// keeps the window painted meanwhile and offers to cancel a long wait; by default it runs in
// place and cannot be cancelled.
class BlockingRunner {
public:
    virtual ~BlockingRunner() = default;
    virtual void runBlocking(const BlockingStep& step, const std::function<void()>& work) {
        (void)step;
        work();
    }
    // Ends the steps' socket waits when cancelled; none by default.
    virtual CancelToken* cancelToken() { return nullptr; }
    bool cancelled() {
        const CancelToken* token = cancelToken();
        return token && token->cancelled();
    }
};

using ReplyBytes = std::array<std::uint8_t, kReplySize>;

// A connect to `address`:`port` within `limit`; `error` says why there is none.
std::optional<TcpConnection> connectDevice(const std::string& address, std::uint16_t port,
                                           std::chrono::milliseconds limit, BlockingRunner& runner,
                                           ConnectError* error);

bool sendRequest(TcpConnection& connection, const Bytes& request, const BlockingStep& step,
                 BlockingRunner& runner);

// A 16-byte reply, gathered from as many segments as TCP delivers within one 2000 ms limit.
// Returns the number of bytes received, or nothing when the receive failed (error or time-out)
// before a single byte came. A device that closes without a byte has still answered: its
// empty reply is judged like any other, so a device that drops a wrong password is told apart
// from one that cannot be reached.
std::optional<std::size_t> receiveReply(TcpConnection& connection, ReplyBytes& reply,
                                        const BlockingStep& step, BlockingRunner& runner);

struct ImageReply {
    Bytes bytes;
    bool complete = false;  // the header's length (or, for the older products, 1216 bytes) came
};

// Up to eight receive calls, each bounded by the 2000 ms receive limit, until the image is
// complete. After a call that leaves it incomplete the read pauses 200 ms: that pause is what
// lets a device that sends its image in many small segments deliver more than one segment per
// call. A closed connection ends the attempts at once: nothing more can come; so does a
// cancel.
ImageReply receiveImage(TcpConnection& connection, bool legacyProduct, const BlockingStep& step,
                        BlockingRunner& runner);

}  // namespace kvt
