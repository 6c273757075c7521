#include "core/device/Exchanges.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <thread>

#include "core/config/DeviceImage.h"
#include "core/config/Validate.h"
#include "core/device/Messages.h"
#include "core/text/ExtraText.h"
#include "core/text/UiText.h"

namespace kvt {

namespace {

// Message ids, grouped by the exchange that shows them.
constexpr std::uint32_t kMsgWrongPassword = 4014;
constexpr std::uint32_t kMsgReadForbidden = 4017;
constexpr std::uint32_t kMsgReadNoWorker = 4018;
constexpr std::uint32_t kMsgReadConnect = 4019;
constexpr std::uint32_t kMsgReadFailed = 4020;
constexpr std::uint32_t kMsgReadReceive = 4021;
constexpr std::uint32_t kMsgResetForbidden = 4030;
constexpr std::uint32_t kMsgDialogNoWorker = 4031;  // password dialog and reset
constexpr std::uint32_t kMsgDialogConnect = 4032;
constexpr std::uint32_t kMsgNoDevice = 4311;
constexpr std::uint32_t kMsgWriteNoWorker = 5043;
constexpr std::uint32_t kMsgWriteConnect = 5044;
constexpr std::uint32_t kMsgWriteSend = 5045;
constexpr std::uint32_t kMsgWriteNoAck = 5046;
constexpr std::uint32_t kMsgWriteWrongAck = 5047;
constexpr std::uint32_t kMsgResetFailed = 5065;
constexpr std::uint32_t kMsgPasswordConnect = 7001;
constexpr std::uint32_t kMsgPasswordNoReply = 7002;

constexpr int kReceiveAttempts = 8;
constexpr std::chrono::milliseconds kImagePause{200};

Gbk text(std::uint32_t id) {
    return uiText(id);
}

std::chrono::milliseconds connectLimit(const Session& session) {
    return std::chrono::milliseconds(std::max(1, session.network.connectTimeoutMs));
}

// What a bounded connect reports, mapped onto the caller's two connection-failed texts.
// 0 means the exchange ends without a message (socket or option failure).
std::uint32_t connectMessage(ConnectError error, std::uint32_t noWorker, std::uint32_t failed) {
    switch (error) {
        case ConnectError::None:
        case ConnectError::Socket:
        case ConnectError::Options:
            return 0;
        case ConnectError::Worker:
            return noWorker;
        case ConnectError::Failed:
            return failed;
    }
    return failed;
}

struct Connected {
    std::optional<TcpConnection> connection;
    ConnectError error = ConnectError::None;
};

Connected connectTo(const Session& session, const std::string& address, FlowUi& ui) {
    Connected result;
    ui.runBlocking([&] {
        TcpConnection connection = TcpConnection::connect(address, session.network.devicePort,
                                                          connectLimit(session), &result.error);
        if (connection.connected()) result.connection.emplace(std::move(connection));
    });
    return result;
}

bool sendOn(TcpConnection& connection, const Bytes& request, FlowUi& ui) {
    bool sent = false;
    ui.runBlocking([&] { sent = connection.send(request); });
    return sent;
}

// A 16-byte reply. TCP may deliver it in pieces, so the pieces are gathered until all 16 bytes
// are here, the device closes, or it falls silent. Returns the number of bytes received, or
// nothing when the receive failed (error or time-out) before a single byte came. A device that
// closes without a byte has still answered: its empty reply is judged like any other, so a
// device that drops a wrong password is told apart from one that cannot be reached.
std::optional<std::size_t> receiveReply(TcpConnection& connection,
                                        std::array<std::uint8_t, kReplySize>& reply, FlowUi& ui) {
    reply.fill(0);
    std::size_t total = 0;
    bool closed = false;
    ui.runBlocking([&] {
        // One limit for the whole reply: each receive waits only for what is left of it, so a
        // device that trickles bytes cannot stretch the exchange past 2000 ms.
        const auto deadline = std::chrono::steady_clock::now() + TcpConnection::kIoLimit;
        while (total < reply.size()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            const long n = connection.receiveSome(std::span(reply).subspan(total), left);
            if (n == 0) closed = true;
            if (n <= 0) break;
            total += static_cast<std::size_t>(n);
        }
    });
    if (total == 0 && !closed) return std::nullopt;
    return total;
}

struct ImageReply {
    Bytes bytes;
    bool complete = false;
};

// Up to eight receive calls, each bounded by the 2000 ms receive limit, until the header's
// length has arrived. After a call that leaves the image incomplete the read pauses 200 ms:
// that pause is what lets a device that sends its image in many small segments deliver more
// than one segment per call. A closed connection ends the attempts at once: nothing more can
// come.
ImageReply receiveImage(TcpConnection& connection, bool legacy, FlowUi& ui) {
    ImageAccumulator accumulator(legacy);
    ui.runBlocking([&] {
        std::vector<std::uint8_t> chunk(kAccumulationLimit);
        for (int attempt = 1; attempt <= kReceiveAttempts; ++attempt) {
            const long n = connection.receiveSome(chunk, TcpConnection::kIoLimit);
            if (n == 0) break;
            if (n > 0) accumulator.append(std::span(chunk.data(), static_cast<std::size_t>(n)));
            if (accumulator.complete() || attempt == kReceiveAttempts) break;
            std::this_thread::sleep_for(kImagePause);
        }
    });
    return {accumulator.bytes(), accumulator.complete()};
}

std::uint32_t readCode(int kind) {
    return kind == kBackgroundConfig ? kCmdReadBackground : kCmdReadUser;
}
std::uint32_t writeCode(int kind) {
    return kind == kBackgroundConfig ? kCmdWriteBackground : kCmdWriteUser;
}

bool passwordNeededFor(const CEquipment& device, int kind) {
    if (kind == kUserConfig) return device.userPasswordSet == text(4010);
    if (kind == kBackgroundConfig) return device.adminPasswordSet == text(4010);
    return false;
}

void setNeededFlag(Session& session, int kind, bool value) {
    if (kind == kUserConfig) session.userPasswordNeeded = value;
    if (kind == kBackgroundConfig) session.adminPasswordNeeded = value;
}

}  // namespace

PasswordAttempt attemptPasswordCheck(Session& session, int kind, const Gbk& password, FlowUi& ui) {
    PasswordAttempt attempt;
    Connected connected = connectTo(session, session.currentDeviceAddress, ui);
    if (!connected.connection) {
        attempt.messageId = connectMessage(connected.error, kMsgDialogNoWorker, kMsgDialogConnect);
        return attempt;
    }
    session.lastPassword = password;
    if (!sendOn(*connected.connection, passwordCheckRequest(kind, password), ui)) return attempt;
    std::array<std::uint8_t, kReplySize> reply{};
    if (!receiveReply(*connected.connection, reply, ui)) {
        attempt.messageId = kMsgPasswordNoReply;
        return attempt;
    }
    session.passwordReply = reply;
    attempt.connection = std::move(connected.connection);
    return attempt;
}

bool readConfiguration(Session& session, int kind, FlowUi& ui) {
    const CEquipment* selected = session.selectedDevice();
    if (!selected) return false;
    // The password dialog may run the UI's event loop; keep our own copy of the record.
    const CEquipment device = *selected;
    session.ensureConfiguration();
    session.configKind = kind;

    std::optional<TcpConnection> connection;
    const bool needed = passwordNeededFor(device, kind);
    if (needed) {
        connection = ui.askPassword(session, kind);
        if (!connection) {
            session.passwordReply.fill(0);
            return false;
        }
        if (!passwordAccepted(session.passwordReply, kind)) {
            session.passwordReply.fill(0);
            ui.message(kMsgWrongPassword);
            return false;  // the connection closes with `connection`
        }
        session.passwordReply.fill(0);
        setNeededFlag(session, kind, true);
    } else {
        setNeededFlag(session, kind, false);
    }

    if (device.remoteConfig == text(4013)) {
        ui.message(kMsgReadForbidden);
        return false;
    }

    CConfiguration& config = session.replaceConfiguration();
    if (device.model == kModelKvt275r) config.productCode = kProductKvt275r;

    if (!connection) {
        Connected connected = connectTo(session, device.ipAddress, ui);
        if (!connected.connection) {
            if (auto id = connectMessage(connected.error, kMsgReadNoWorker, kMsgReadConnect))
                ui.message(id);
            return false;
        }
        connection = std::move(connected.connection);
    }

    if (!sendOn(*connection, readRequest(kind), ui)) return false;
    const ImageReply reply = receiveImage(*connection, isLegacyProduct(config.productCode), ui);
    // Each failure below shows its message, then the connection closes on return.
    if (!replyCodeIs(reply.bytes, readCode(kind))) {
        ui.message(kMsgReadFailed);
        return false;
    }
    // An image cut short (time-out or closed connection) is never taken for a configuration.
    if (!reply.complete) {
        ui.message(kMsgReadReceive);
        return false;
    }
    parseImage(reply.bytes, kind, config);
    connection->close();
    return true;
}

void download(Session& session, FlowUi& ui) {
    session.chooserResult = false;
    if (session.selectedIndexForLoad < 0) {
        ui.message(kMsgNoDevice);
        return;
    }
    if (!session.config) return;
    const int kind = session.configKind;
    // The older products' image is not known; sending a blank block would wipe such a device.
    if (isLegacyProduct(session.config->productCode)) {
        ui.message(kMsgLegacyDownload);
        return;
    }
    // Settings that look wrong are put to the user before anything is sent; going back ends
    // here silently with the editor open, as a cancelled password dialog does.
    const std::vector<FieldIssue> issues = validate(*session.config, static_cast<ConfigKind>(kind));
    if (!issues.empty() && !ui.confirmWarnings(issues)) return;

    std::optional<TcpConnection> connection;
    const bool needed =
        kind == kUserConfig ? session.userPasswordNeeded : session.adminPasswordNeeded;
    if (needed) {
        const bool readFromDevice =
            session.editorCaption == text(4179) || session.editorCaption == text(4180);
        if (readFromDevice) {
            // The password typed for the read is presented again on a fresh connection.
            Connected connected = connectTo(session, session.currentDeviceAddress, ui);
            if (!connected.connection) {
                if (auto id =
                        connectMessage(connected.error, kMsgPasswordConnect, kMsgPasswordConnect))
                    ui.message(id);
                return;
            }
            if (!sendOn(*connected.connection, passwordCheckRequest(kind, session.lastPassword),
                        ui))
                return;
            std::array<std::uint8_t, kReplySize> reply{};
            if (!receiveReply(*connected.connection, reply, ui)) {
                ui.message(kMsgPasswordNoReply);
                return;
            }
            session.passwordReply = reply;
            connection = std::move(connected.connection);
        } else {
            connection = ui.askPassword(session, kind);
            if (!connection) {
                session.passwordReply.fill(0);
                return;
            }
        }
        const bool accepted = passwordAccepted(session.passwordReply, kind);
        session.passwordReply.fill(0);
        if (!accepted) {
            ui.message(kMsgWrongPassword);
            return;
        }
    } else {
        Connected connected = connectTo(session, session.currentDeviceAddress, ui);
        if (!connected.connection) {
            if (auto id = connectMessage(connected.error, kMsgWriteNoWorker, kMsgWriteConnect))
                ui.message(id);
            return;
        }
        connection = std::move(connected.connection);
    }

    const Bytes image = buildImage(*session.config, kind);
    session.chooserResult = true;
    // Every failure from here on shows its message; the connection closes on return.
    if (image.empty() || !sendOn(*connection, image, ui)) {
        ui.message(kMsgWriteSend);
        session.chooserResult = false;
        return;
    }
    std::array<std::uint8_t, kReplySize> ack{};
    const std::optional<std::size_t> received = receiveReply(*connection, ack, ui);
    if (!received) {
        ui.message(kMsgWriteNoAck);
        session.chooserResult = false;
        return;
    }
    if (!replyCodeIs(std::span(ack.data(), *received), writeCode(kind))) {
        ui.message(kMsgWriteWrongAck);
        session.chooserResult = false;
        return;
    }
    connection->close();
    remoteReset(session, ui);
}

void remoteReset(Session& session, FlowUi& ui) {
    const CEquipment* selected = session.selectedDevice();
    if (!selected) return;
    const CEquipment device = *selected;
    if (device.remoteConfig == text(4029)) {
        ui.message(kMsgResetForbidden);
        return;
    }
    if (!ui.confirmReset()) return;

    Connected connected = connectTo(session, device.ipAddress, ui);
    if (!connected.connection) {
        if (auto id = connectMessage(connected.error, kMsgDialogNoWorker, kMsgDialogConnect))
            ui.message(id);
        return;
    }
    TcpConnection& connection = *connected.connection;
    if (!sendOn(connection, resetRequest(), ui)) return;
    std::array<std::uint8_t, kReplySize> reply{};
    const std::optional<std::size_t> received = receiveReply(connection, reply, ui);
    if (!received || !replyCodeIs(std::span(reply.data(), *received), kCmdReset))
        ui.message(kMsgResetFailed);
    connection.close();
}

}  // namespace kvt
