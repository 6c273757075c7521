#pragma once
// The tool's side of EtherNet/IP: ListIdentity (unicast, or one browse query), a session for
// explicit messages, and the check of a gateway's identity and assembly sizes against the
// configuration it should hold.
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/config/Configuration.h"
#include "core/enip/Assemblies.h"
#include "core/enip/Codec.h"
#include "core/net/Socket.h"

namespace kvt::enip {

struct Target {
    std::string address;
    std::uint16_t port = kPort;
    std::string localAddress = "0.0.0.0";  // where the UDP query leaves from
    // How long one exchange (an answer to ListIdentity, a connect, one reply) may take.
    std::chrono::milliseconds timeout{2000};
};

// One unicast ListIdentity over UDP, sent again every 500 ms until a valid reply comes or
// the timeout passes.
std::optional<Identity> queryIdentity(const Target& target, const CancelToken* cancel = nullptr);

struct BrowseOptions {
    std::string target = "255.255.255.255";
    std::string localAddress = "0.0.0.0";
    std::uint16_t port = kPort;
    // The requester delay the query asks for; replies are collected this long plus 500 ms.
    std::uint16_t delayMs = 1000;
};
struct BrowseResult {
    std::vector<Identity> devices;  // in arrival order, one per address
    std::string error;              // the query could not be sent
};
// One ListIdentity query to `target` (a broadcast address or one device).
BrowseResult browseIdentities(const BrowseOptions& options);

// A TCP connection with a registered session; the session is unregistered on destruction.
class ExplicitSession {
public:
    ExplicitSession() = default;
    ~ExplicitSession();
    ExplicitSession(const ExplicitSession&) = delete;
    ExplicitSession& operator=(const ExplicitSession&) = delete;

    // false with `error` saying why: no connection, or no session.
    bool open(const Target& target, std::string* error);
    // One message-router request in a SendRRData; nullopt with `error` when no valid reply
    // came (the session is then closed).
    std::optional<Reply> request(std::span<const std::uint8_t> cip, std::string* error);
    bool isOpen() const { return m_connection.connected() && m_handle != 0; }

private:
    std::optional<Bytes> exchange(std::span<const std::uint8_t> message, std::string* error);

    TcpConnection m_connection;
    std::uint32_t m_handle = 0;
    std::chrono::milliseconds m_timeout{2000};
};

enum class SizeVerdict {
    Match,
    Mismatch,
    NotSupported,  // the device does not report the size: a warning
    NotCompared,   // reported, but nothing to compare with (a user configuration)
};
// "match", "mismatch", "not_supported", "not_compared".
const char* sizeVerdictName(SizeVerdict verdict);

struct AssemblyCheck {
    AssemblySize expected;
    std::optional<std::uint16_t> reported;
    SizeVerdict verdict = SizeVerdict::NotSupported;
    std::string detail;  // why not supported: the status the device answered
};

struct EnipCheck {
    enum class Status {
        Checked,        // identity and sizes read
        NoAnswer,       // no ListIdentity answer at the address
        SessionFailed,  // identity answered, but no session or a request without reply
    };
    Status status = Status::NoAnswer;
    std::string address;
    std::optional<Identity> identity;
    std::vector<AssemblyCheck> assemblies;
    std::string message;  // one line for people, UTF-8
    // How long the device took to answer ListIdentity (checks that waited for it).
    std::chrono::milliseconds answeredAfter{0};

    bool answered() const { return status == Status::Checked; }
    bool mismatch() const;
};
// "checked", "no_answer", "session_failed".
const char* checkStatusName(EnipCheck::Status status);
// One word for the whole check: "no_answer", "session_failed", "mismatch", "match", or
// "not_compared" when no size was compared.
const char* checkOutcomeName(const EnipCheck& check);

// Unicast ListIdentity, then a session and attribute 4 of the nine assembly instances, each
// compared with the size the configuration implies (`configuration` null: reported only, as
// for a user configuration, which does not carry the sizes). A device that answers an instance with
// "path destination unknown", "object does not exist", "service not supported" or "attribute
// not supported" (or any other error) gets NotSupported, a warning.
EnipCheck checkEnip(const Target& target, const CConfiguration* configuration,
                    const CancelToken* cancel = nullptr);
// The same after waiting (ListIdentity again and again) until the device answers at the
// address, for at most `limit`: a gateway takes a while to come up after a reset.
EnipCheck checkEnipWhenUp(const Target& target, const CConfiguration* configuration,
                          std::chrono::milliseconds limit, const CancelToken* cancel = nullptr);

}  // namespace kvt::enip
