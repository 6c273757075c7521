#include "core/flows/DeviceFlows.h"

#include <algorithm>
#include <chrono>

#include "core/config/DeviceImage.h"
#include "core/config/Validate.h"
#include "core/device/Exchange.h"
#include "core/device/Messages.h"
#include "core/text/UiText.h"

namespace kvt {

namespace {

struct Connected {
    std::optional<TcpConnection> connection;
    // Set when there is no connection: the flow's own message for a refused or unanswered
    // connect; a socket that could not be set up ends the flow silently.
    Outcome failure = Outcome::Done;
};

Connected connectTo(const Session& session, const std::string& address, Outcome whenFailed,
                    FlowUi& ui) {
    ConnectError error = ConnectError::None;
    const auto limit = std::chrono::milliseconds(std::max(1, session.network.connectTimeoutMs));
    Connected result;
    result.connection = connectDevice(address, session.network.devicePort, limit, ui, &error);
    if (!result.connection)
        result.failure = error == ConnectError::Failed ? whenFailed : Outcome::SocketFailed;
    return result;
}

// Reports `outcome` and returns it, so that a flow ends in one statement.
Outcome ended(FlowUi& ui, Outcome outcome) {
    ui.report(outcome);
    return outcome;
}

std::uint32_t readCode(ConfigKind kind) {
    return kind == kBackgroundConfig ? kCmdReadBackground : kCmdReadUser;
}
std::uint32_t writeCode(ConfigKind kind) {
    return kind == kBackgroundConfig ? kCmdWriteBackground : kCmdWriteUser;
}

Gbk readCaption(ConfigKind kind) {
    return uiText(kind == kBackgroundConfig ? 4180 : 4179);
}

// A password check on a fresh connection to `address`.
PasswordAttempt checkPassword(const Session& session, const std::string& address, ConfigKind kind,
                              const Gbk& password, Outcome whenConnectFails, FlowUi& ui) {
    PasswordAttempt attempt;
    Connected connected = connectTo(session, address, whenConnectFails, ui);
    if (!connected.connection) {
        attempt.outcome = connected.failure;
        return attempt;
    }
    PasswordAnswer answer{std::move(*connected.connection), password, {}};
    if (!sendRequest(answer.connection, passwordCheckRequest(kind, password), ui)) {
        attempt.outcome = Outcome::SendFailed;
        return attempt;
    }
    if (!receiveReply(answer.connection, answer.reply, ui)) {
        attempt.outcome = Outcome::PasswordNoReply;
        return attempt;
    }
    attempt.answer = std::move(answer);
    return attempt;
}

}  // namespace

PasswordAttempt attemptPasswordCheck(const Session& session, ConfigKind kind, const Gbk& password,
                                     FlowUi& ui) {
    const CEquipment* device = session.selectedDevice();
    if (!device) return {Outcome::NoSelection, std::nullopt};
    return checkPassword(session, device->ipAddress, kind, password, Outcome::ConnectFailed, ui);
}

Outcome readConfiguration(Session& session, ConfigKind kind, FlowUi& ui) {
    const CEquipment* selected = session.selectedDevice();
    if (!selected) return Outcome::NoSelection;
    // The password dialog may run the UI's event loop; keep our own copy of the record.
    const CEquipment device = *selected;

    std::optional<TcpConnection> connection;
    Gbk password;
    if (device.passwordSet(kind)) {
        std::optional<PasswordAnswer> answer = ui.askPassword(session, kind);
        if (!answer) return Outcome::Cancelled;
        // A refused password ends the read; the connection closes with `answer`.
        if (!passwordAccepted(answer->reply, kind)) return ended(ui, Outcome::WrongPassword);
        connection = std::move(answer->connection);
        password = std::move(answer->password);
    }

    if (device.remoteForbidden()) return ended(ui, Outcome::ReadForbidden);

    CConfiguration config;
    if (device.isKvt275r()) config.productCode = kProductKvt275r;

    if (!connection) {
        Connected connected = connectTo(session, device.ipAddress, Outcome::ReadConnectFailed, ui);
        if (!connected.connection) return ended(ui, connected.failure);
        connection = std::move(connected.connection);
    }

    if (!sendRequest(*connection, readRequest(kind), ui)) return Outcome::SendFailed;
    const ImageReply reply = receiveImage(*connection, isLegacyProduct(config.productCode), ui);
    // Each failure below shows its message, then the connection closes on return.
    if (!replyCodeIs(reply.bytes, readCode(kind))) return ended(ui, Outcome::ReadRejected);
    // An image cut short (time-out or closed connection) is never taken for a configuration.
    if (!reply.complete) return ended(ui, Outcome::ReadIncomplete);
    parseImage(reply.bytes, kind, config);
    connection->close();

    session.config = std::make_unique<CConfiguration>(std::move(config));
    session.configKind = kind;
    session.configOrigin = ConfigOrigin::ReadFromDevice;
    session.readPassword = std::move(password);
    session.editorCaption = readCaption(kind);
    return Outcome::Done;
}

DownloadOutcome download(Session& session, FlowUi& ui,
                         const AfterAcknowledgement& afterAcknowledgement) {
    DownloadOutcome outcome;
    const auto fail = [&](Outcome failure) {
        ui.report(failure);
        outcome.write = failure;
        return outcome;
    };
    const CEquipment* selected = session.selectedDevice();
    if (!selected) return fail(Outcome::DownloadNoDevice);
    if (!session.config) return fail(Outcome::NoConfiguration);
    const CEquipment device = *selected;
    const ConfigKind kind = session.configKind;
    // The older products' image is not known; sending a blank block would wipe such a device.
    if (isLegacyProduct(session.config->productCode)) return fail(Outcome::LegacyDownload);
    // Settings that look wrong are put to the user before anything is sent; going back ends
    // here silently with the editor open, as a cancelled password dialog does.
    const std::vector<FieldIssue> issues = validate(*session.config, kind);
    if (!issues.empty() && !ui.confirmWarnings(issues)) return fail(Outcome::WarningsDeclined);

    std::optional<TcpConnection> connection;
    Gbk password;
    if (device.passwordSet(kind)) {
        std::optional<PasswordAnswer> answer;
        if (session.configOrigin == ConfigOrigin::ReadFromDevice) {
            // The password typed for the read is presented again on a fresh connection.
            PasswordAttempt attempt =
                checkPassword(session, device.ipAddress, kind, session.readPassword,
                              Outcome::PasswordConnectFailed, ui);
            if (!attempt.answer) return fail(attempt.outcome);
            answer = std::move(attempt.answer);
        } else {
            answer = ui.askPassword(session, kind);
            if (!answer) return fail(Outcome::Cancelled);
        }
        if (!passwordAccepted(answer->reply, kind)) return fail(Outcome::WrongPassword);
        connection = std::move(answer->connection);
        password = std::move(answer->password);
    } else {
        Connected connected = connectTo(session, device.ipAddress, Outcome::WriteConnectFailed, ui);
        if (!connected.connection) return fail(connected.failure);
        connection = std::move(connected.connection);
    }

    const Bytes image = buildImage(*session.config, kind);
    // Every failure from here on shows its message; the connection closes on return.
    if (image.empty() || !sendRequest(*connection, image, ui))
        return fail(Outcome::WriteSendFailed);
    ReplyBytes ack{};
    const std::optional<std::size_t> received = receiveReply(*connection, ack, ui);
    if (!received) return fail(Outcome::WriteNoAcknowledgement);
    if (!replyCodeIs(std::span(ack.data(), *received), writeCode(kind)))
        return fail(Outcome::WriteRejected);
    connection->close();
    if (afterAcknowledgement) afterAcknowledgement(password);
    outcome.reset = remoteReset(session, ui);
    return outcome;
}

Outcome remoteReset(const Session& session, FlowUi& ui) {
    const CEquipment* selected = session.selectedDevice();
    if (!selected) return Outcome::NoSelection;
    const CEquipment device = *selected;
    if (device.remoteForbidden()) return ended(ui, Outcome::ResetForbidden);
    if (!ui.confirmReset()) return Outcome::Cancelled;

    Connected connected = connectTo(session, device.ipAddress, Outcome::ConnectFailed, ui);
    if (!connected.connection) return ended(ui, connected.failure);
    TcpConnection& connection = *connected.connection;
    if (!sendRequest(connection, resetRequest(), ui)) return Outcome::SendFailed;
    ReplyBytes reply{};
    const std::optional<std::size_t> received = receiveReply(connection, reply, ui);
    if (!received || !replyCodeIs(std::span(reply.data(), *received), kCmdReset))
        return ended(ui, Outcome::ResetFailed);
    connection.close();
    return Outcome::Done;
}

}  // namespace kvt
