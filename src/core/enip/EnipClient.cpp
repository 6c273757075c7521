#include "core/enip/EnipClient.h"

#include <algorithm>
#include <array>
#include <thread>

namespace kvt::enip {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kResendEvery{500};
constexpr std::size_t kDatagramRoom = 1500;

bool cancelled(const CancelToken* cancel) {
    return cancel && cancel->cancelled();
}

std::string describe(const Identity& id) {
    return "\"" + id.productName + "\" product " + std::to_string(id.productCode) + " revision " +
           std::to_string(id.revisionMajor) + "." + std::to_string(id.revisionMinor);
}

}  // namespace

std::optional<Identity> queryIdentity(const Target& target, const CancelToken* cancel) {
    UdpSocket socket;
    if (!socket.valid() || !socket.bind(target.localAddress, 0)) return std::nullopt;
    const Bytes query = listIdentityRequest();
    const auto end = Clock::now() + target.timeout;
    std::array<std::uint8_t, kDatagramRoom> buffer{};
    while (Clock::now() < end && !cancelled(cancel)) {
        if (!socket.sendTo(query, target.address, target.port)) return std::nullopt;
        const auto window = std::min(end, Clock::now() + kResendEvery);
        for (;;) {
            const long n = socket.receive(buffer, window);
            if (n < 0) break;
            auto id = parseListIdentityReply(std::span(buffer.data(), static_cast<std::size_t>(n)));
            if (id) return id;
        }
    }
    return std::nullopt;
}

BrowseResult browseIdentities(const BrowseOptions& options) {
    BrowseResult result;
    UdpSocket socket;
    if (!socket.valid() || !socket.setBroadcast() || !socket.bind(options.localAddress, 0)) {
        result.error = "the query socket could not be set up on " + options.localAddress;
        return result;
    }
    if (!socket.sendTo(listIdentityRequest(options.delayMs), options.target, options.port)) {
        result.error = "the query could not be sent to " + options.target;
        return result;
    }
    const auto end = Clock::now() + milliseconds(effectiveDelayMs(options.delayMs)) + kResendEvery;
    std::array<std::uint8_t, kDatagramRoom> buffer{};
    for (;;) {
        const long n = socket.receive(buffer, end);
        if (n < 0) break;
        auto id = parseListIdentityReply(std::span(buffer.data(), static_cast<std::size_t>(n)));
        if (!id) continue;
        const bool known = std::any_of(result.devices.begin(), result.devices.end(),
                                       [&](const Identity& d) { return d.address == id->address; });
        if (!known) result.devices.push_back(std::move(*id));
    }
    return result;
}

ExplicitSession::~ExplicitSession() {
    if (isOpen()) m_connection.send(unregisterSessionRequest(m_handle));
}

bool ExplicitSession::open(const Target& target, std::string* error) {
    m_timeout = target.timeout;
    ConnectError why = ConnectError::None;
    m_connection = TcpConnection::connect(target.address, target.port, target.timeout, &why);
    if (!m_connection.connected()) {
        if (error) *error = "no EtherNet/IP connection to " + target.address;
        return false;
    }
    const auto reply = exchange(registerSessionRequest(), error);
    if (!reply) return false;
    const auto handle = parseRegisterSessionReply(*reply);
    if (!handle) {
        const auto header = parseHeader(*reply);
        if (error)
            *error = "RegisterSession refused: " +
                     encapsulationStatusName(header ? header->status : kEncapIncorrectData);
        m_connection.close();
        return false;
    }
    m_handle = *handle;
    return true;
}

std::optional<Bytes> ExplicitSession::exchange(std::span<const std::uint8_t> message,
                                               std::string* error) {
    if (!m_connection.send(message)) {
        if (error) *error = "the request could not be sent";
        m_connection.close();
        return std::nullopt;
    }
    Bytes received;
    std::array<std::uint8_t, 2048> buffer{};
    const auto end = Clock::now() + m_timeout;
    for (;;) {
        const std::size_t whole = messageSize(received);
        if (whole != 0 && received.size() >= whole) {
            received.resize(whole);  // nothing else is outstanding on the connection
            return received;
        }
        const auto left = std::chrono::ceil<milliseconds>(end - Clock::now());
        const long n = left.count() > 0 ? m_connection.receiveSome(buffer, left) : -1;
        if (n <= 0) {
            if (error) *error = n == 0 ? "the device closed the connection" : "no reply";
            m_connection.close();
            return std::nullopt;
        }
        received.insert(received.end(), buffer.begin(), buffer.begin() + n);
    }
}

std::optional<Reply> ExplicitSession::request(std::span<const std::uint8_t> cip,
                                              std::string* error) {
    if (!isOpen()) {
        if (error) *error = "no session";
        return std::nullopt;
    }
    const auto message = exchange(sendRRData(m_handle, cip), error);
    if (!message) return std::nullopt;
    const auto header = parseHeader(*message);
    if (header && header->status != kEncapSuccess) {
        if (error) *error = "SendRRData refused: " + encapsulationStatusName(header->status);
        return std::nullopt;
    }
    const auto item = unconnectedData(*message);
    auto reply = item ? parseReply(*item) : std::nullopt;
    if (!reply) {
        if (error) *error = "a malformed reply";
        m_connection.close();
    }
    return reply;
}

const char* sizeVerdictName(SizeVerdict verdict) {
    switch (verdict) {
        case SizeVerdict::Match:
            return "match";
        case SizeVerdict::Mismatch:
            return "mismatch";
        case SizeVerdict::NotSupported:
            return "not_supported";
        case SizeVerdict::NotCompared:
            return "not_compared";
    }
    return "?";
}

const char* checkStatusName(EnipCheck::Status status) {
    switch (status) {
        case EnipCheck::Status::Checked:
            return "checked";
        case EnipCheck::Status::NoAnswer:
            return "no_answer";
        case EnipCheck::Status::SessionFailed:
            return "session_failed";
    }
    return "?";
}

const char* checkOutcomeName(const EnipCheck& check) {
    if (check.status != EnipCheck::Status::Checked) return checkStatusName(check.status);
    if (check.mismatch()) return "mismatch";
    const bool compared =
        std::any_of(check.assemblies.begin(), check.assemblies.end(),
                    [](const AssemblyCheck& a) { return a.verdict == SizeVerdict::Match; });
    return compared ? "match" : "not_compared";
}

bool EnipCheck::mismatch() const {
    return std::any_of(assemblies.begin(), assemblies.end(),
                       [](const AssemblyCheck& a) { return a.verdict == SizeVerdict::Mismatch; });
}

namespace {

EnipCheck checkIdentified(const Target& target, const CConfiguration* configuration,
                          EnipCheck check) {
    ExplicitSession session;
    std::string error;
    if (!session.open(target, &error)) {
        check.status = EnipCheck::Status::SessionFailed;
        check.message = "EtherNet/IP identity answered, but " + error;
        return check;
    }
    std::size_t mismatched = 0;
    std::size_t unsupported = 0;
    const bool compare = configuration != nullptr;
    for (const AssemblySize& expected :
         assemblySizes(configuration ? *configuration : CConfiguration{})) {
        const Bytes request = encodeRequest(
            kGetAttributeSingle, Path{kAssemblyClass, expected.instance, kAssemblySizeAttribute});
        const auto reply = session.request(request, &error);
        if (!reply) {
            check.status = EnipCheck::Status::SessionFailed;
            check.message = "assembly " + std::to_string(expected.instance) + ": " + error;
            return check;
        }
        AssemblyCheck a;
        a.expected = expected;
        if (reply->generalStatus == kSuccess && reply->data.size() >= 2) {
            a.reported = static_cast<std::uint16_t>(reply->data[0] | (reply->data[1] << 8));
            a.verdict = !compare                        ? SizeVerdict::NotCompared
                        : *a.reported == expected.bytes ? SizeVerdict::Match
                                                        : SizeVerdict::Mismatch;
        } else {
            a.verdict = SizeVerdict::NotSupported;
            a.detail = reply->generalStatus == kSuccess ? "a reply without a size"
                                                        : generalStatusName(reply->generalStatus);
        }
        mismatched += a.verdict == SizeVerdict::Mismatch;
        unsupported += a.verdict == SizeVerdict::NotSupported;
        check.assemblies.push_back(std::move(a));
    }
    check.status = EnipCheck::Status::Checked;
    check.message = "EtherNet/IP " + describe(*check.identity) + "; " +
                    (!compare     ? std::string("assembly sizes reported, not compared")
                     : mismatched ? std::to_string(mismatched) + " assembly size(s) differ"
                                  : std::string("assembly sizes match"));
    if (unsupported) check.message += ", " + std::to_string(unsupported) + " not reported";
    return check;
}

}  // namespace

EnipCheck checkEnip(const Target& target, const CConfiguration* configuration,
                    const CancelToken* cancel) {
    return checkEnipWhenUp(target, configuration, target.timeout, cancel);
}

EnipCheck checkEnipWhenUp(const Target& target, const CConfiguration* configuration,
                          milliseconds limit, const CancelToken* cancel) {
    EnipCheck check;
    check.address = target.address;
    const auto start = Clock::now();
    const auto end = start + limit;
    Target one = target;
    while (!cancelled(cancel)) {
        one.timeout =
            std::max(milliseconds(1),
                     std::min(target.timeout, std::chrono::ceil<milliseconds>(end - Clock::now())));
        check.identity = queryIdentity(one, cancel);
        if (check.identity || Clock::now() >= end) break;
        // A refused or unreachable address answers at once; do not spin on it.
        std::this_thread::sleep_for(
            std::min(kResendEvery, std::chrono::ceil<milliseconds>(end - Clock::now())));
    }
    if (!check.identity) {
        check.status = EnipCheck::Status::NoAnswer;
        check.message = "no EtherNet/IP answer (ListIdentity) at " + target.address;
        return check;
    }
    check.answeredAfter = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    return checkIdentified(target, configuration, std::move(check));
}

}  // namespace kvt::enip
