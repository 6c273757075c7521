#include "core/device/Exchange.h"

#include <thread>

namespace kvt {
namespace {

constexpr int kReceiveAttempts = 8;
constexpr std::chrono::milliseconds kImagePause{200};

// The pause between image receives; a cancel ends it at once.
void pause(const CancelToken* cancel) {
    if (cancel && cancel->event().valid())
        cancel->event().wait(std::chrono::steady_clock::now() + kImagePause);
    else
        std::this_thread::sleep_for(kImagePause);
}

}  // namespace

std::optional<TcpConnection> connectDevice(const std::string& address, std::uint16_t port,
                                           std::chrono::milliseconds limit, BlockingRunner& runner,
                                           ConnectError* error) {
    std::optional<TcpConnection> result;
    const CancelToken* cancel = runner.cancelToken();
    runner.runBlocking({WaitFor::Connect, address}, [&] {
        TcpConnection connection = TcpConnection::connect(address, port, limit, error, cancel);
        if (connection.connected()) result.emplace(std::move(connection));
    });
    return result;
}

bool sendRequest(TcpConnection& connection, const Bytes& request, const BlockingStep& step,
                 BlockingRunner& runner) {
    bool sent = false;
    if (runner.cancelled()) return false;
    runner.runBlocking(step, [&] { sent = connection.send(request); });
    return sent;
}

std::optional<std::size_t> receiveReply(TcpConnection& connection, ReplyBytes& reply,
                                        const BlockingStep& step, BlockingRunner& runner) {
    reply.fill(0);
    std::size_t total = 0;
    bool closed = false;
    const CancelToken* cancel = runner.cancelToken();
    runner.runBlocking(step, [&] {
        // One limit for the whole reply: each receive waits only for what is left of it, so a
        // device that trickles bytes cannot stretch the exchange past 2000 ms.
        const auto deadline = std::chrono::steady_clock::now() + TcpConnection::kIoLimit;
        while (total < reply.size()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            const long n = connection.receiveSome(std::span(reply).subspan(total), left, cancel);
            if (n == 0) closed = true;
            if (n <= 0) break;
            total += static_cast<std::size_t>(n);
        }
    });
    if (total == 0 && !closed) return std::nullopt;
    return total;
}

ImageReply receiveImage(TcpConnection& connection, bool legacyProduct, const BlockingStep& step,
                        BlockingRunner& runner) {
    ImageAccumulator accumulator(legacyProduct);
    const CancelToken* cancel = runner.cancelToken();
    runner.runBlocking(step, [&] {
        std::vector<std::uint8_t> chunk(kAccumulationLimit);
        for (int attempt = 1; attempt <= kReceiveAttempts; ++attempt) {
            if (cancel && cancel->cancelled()) break;
            const long n = connection.receiveSome(chunk, TcpConnection::kIoLimit, cancel);
            if (n == 0) break;
            if (n > 0) accumulator.append(std::span(chunk.data(), static_cast<std::size_t>(n)));
            if (accumulator.complete() || attempt == kReceiveAttempts) break;
            pause(cancel);
        }
    });
    return {accumulator.bytes(), accumulator.complete()};
}

}  // namespace kvt
