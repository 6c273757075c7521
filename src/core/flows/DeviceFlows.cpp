#include "core/flows/DeviceFlows.h"

#include <algorithm>
#include <chrono>

#include "core/config/DeviceImage.h"
#include "core/config/Validate.h"
#include "core/device/Exchange.h"
#include "core/device/Messages.h"

namespace kvt {

namespace {

struct Connected {
    std::optional<TcpConnection> connection;
    // Set when there is no connection: the flow's own message for a refused or unanswered
    // connect; a socket that could not be set up ends the flow silently.
    Outcome failure = Outcome::Done;
};

Connected connectTo(const NetworkOptions& network, const std::string& address, Outcome whenFailed,
                    FlowUi& ui) {
    ConnectError error = ConnectError::None;
    const auto limit = std::chrono::milliseconds(std::max(1, network.connectTimeoutMs));
    Connected result;
    result.connection = connectDevice(address, network.devicePort, limit, ui, &error);
    if (!result.connection)
        result.failure =
            error == ConnectError::Failed || ui.cancelled() ? whenFailed : Outcome::SocketFailed;
    return result;
}

// A flow's waits start uncancelled, and a Cancel ends with the flow: it silences that flow's
// messages only, never those of whatever the user does next.
class CancelScope {
public:
    explicit CancelScope(FlowUi& ui) : m_ui(ui) { m_ui.clearCancel(); }
    ~CancelScope() { m_ui.clearCancel(); }
    CancelScope(const CancelScope&) = delete;
    CancelScope& operator=(const CancelScope&) = delete;

private:
    FlowUi& m_ui;
};

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

// A password check on a fresh connection to `address`.
PasswordAttempt checkPassword(const NetworkOptions& network, const std::string& address,
                              ConfigKind kind, const Gbk& password, Outcome whenConnectFails,
                              FlowUi& ui) {
    PasswordAttempt attempt;
    Connected connected = connectTo(network, address, whenConnectFails, ui);
    if (!connected.connection) {
        attempt.outcome = connected.failure;
        return attempt;
    }
    PasswordAnswer answer{std::move(*connected.connection), password, {}};
    const BlockingStep step{WaitFor::PasswordCheck, address};
    const bool sent =
        sendRequest(answer.connection, passwordCheckRequest(kind, password), step, ui);
    const bool replied = sent && receiveReply(answer.connection, answer.reply, step, ui);
    // A wait the user cancelled ends like a failed connect; a partial reply is not judged.
    if (ui.cancelled()) {
        attempt.outcome = whenConnectFails;
        return attempt;
    }
    if (!sent) {
        attempt.outcome = Outcome::SendFailed;
        return attempt;
    }
    if (!replied) {
        attempt.outcome = Outcome::PasswordNoReply;
        return attempt;
    }
    attempt.answer = std::move(answer);
    return attempt;
}

// The read request of `kind` on an open connection and the image the device answers with,
// parsed into `config`. Shows nothing: the outcome's message is the caller's to show.
Outcome readImage(TcpConnection& connection, const CEquipment& device, ConfigKind kind,
                  CConfiguration& config, FlowUi& ui) {
    const BlockingStep step{WaitFor::Read, device.ipAddress};
    const bool sent = sendRequest(connection, readRequest(kind), step, ui);
    const ImageReply reply =
        sent ? receiveImage(connection, isLegacyProduct(config.productCode), step, ui)
             : ImageReply{};
    if (ui.cancelled()) return Outcome::ReadConnectFailed;
    if (!sent) return Outcome::SendFailed;
    if (!replyCodeIs(reply.bytes, readCode(kind))) return Outcome::ReadRejected;
    // An image cut short (time-out or closed connection) is never taken for a configuration.
    if (!reply.complete) return Outcome::ReadIncomplete;
    parseImage(reply.bytes, kind, config);
    return Outcome::Done;
}

}  // namespace

PasswordAttempt attemptPasswordCheck(const FlowTarget& target, ConfigKind kind, const Gbk& password,
                                     FlowUi& ui) {
    if (!target.device) return {Outcome::NoSelection, std::nullopt};
    // Each try starts afresh; a cancelled one stays cancelled for the dialog to see, until the
    // flow that asked for the password ends.
    ui.clearCancel();
    return checkPassword(target.network, target.device->ipAddress, kind, password,
                         Outcome::ConnectFailed, ui);
}

Outcome readConfiguration(const FlowTarget& target, ConfigKind kind, ConfigDocument& document,
                          FlowUi& ui, PasswordPrompt& prompt) {
    if (!target.device) return Outcome::NoSelection;
    const CancelScope scope(ui);
    const CEquipment& device = *target.device;
    const NetworkOptions& network = target.network;

    std::optional<TcpConnection> connection;
    Gbk password;
    if (device.passwordSet(kind)) {
        PasswordReply reply = prompt.askPassword(target, kind);
        if (!reply.answer) return reply.ended;
        std::optional<PasswordAnswer>& answer = reply.answer;
        // A refused password ends the read; the connection closes with `answer`.
        if (!passwordAccepted(answer->reply, kind)) return ended(ui, Outcome::WrongPassword);
        connection = std::move(answer->connection);
        password = std::move(answer->password);
    }

    if (device.remoteForbidden()) return ended(ui, Outcome::ReadForbidden);

    CConfiguration config;
    if (device.isKvt275r()) config.productCode = kProductKvt275r;

    if (!connection) {
        Connected connected = connectTo(network, device.ipAddress, Outcome::ReadConnectFailed, ui);
        if (!connected.connection) return ended(ui, connected.failure);
        connection = std::move(connected.connection);
    }

    // A failure shows its message, then the connection closes on return.
    const Outcome read = readImage(*connection, device, kind, config, ui);
    if (read != Outcome::Done) return ended(ui, read);
    connection->close();

    document.knownIpMethod =
        ConfigDocument::KnownIpMethod{device.ipAddress, config.ethernet.ipMethod};
    document.takeRead(std::move(config), kind, std::move(password));
    return Outcome::Done;
}

namespace {

DownloadOutcome downloadSteps(const FlowTarget& target, const ConfigDocument& document, FlowUi& ui,
                              DownloadPrompt& prompt,
                              const AfterAcknowledgement& afterAcknowledgement) {
    DownloadOutcome outcome;
    const auto fail = [&](Outcome failure) {
        ui.report(failure);
        outcome.write = failure;
        return outcome;
    };
    if (!target.device) return fail(Outcome::DownloadNoDevice);
    if (!document.config) return fail(Outcome::NoConfiguration);
    const CEquipment& device = *target.device;
    const NetworkOptions& network = target.network;
    const ConfigKind kind = document.configKind;
    // The older products' image is not known; sending a blank block would wipe such a device.
    if (isLegacyProduct(document.config->productCode)) return fail(Outcome::LegacyDownload);
    // Settings that look wrong are put to the user before anything is sent; going back ends
    // here silently with the editor open, as a cancelled password dialog does.
    const std::vector<FieldIssue> issues =
        downloadIssues(*document.config, kind, document.ipMethodOf(device.ipAddress));
    if (!issues.empty() && !prompt.confirmWarnings(issues)) return fail(Outcome::WarningsDeclined);

    std::optional<TcpConnection> connection;
    Gbk password;
    if (device.passwordSet(kind)) {
        std::optional<PasswordAnswer> answer;
        if (document.configOrigin == ConfigOrigin::ReadFromDevice) {
            // The password typed for the read is presented again on a fresh connection.
            PasswordAttempt attempt =
                checkPassword(network, device.ipAddress, kind, document.readPassword,
                              Outcome::PasswordConnectFailed, ui);
            if (!attempt.answer) return fail(attempt.outcome);
            answer = std::move(attempt.answer);
        } else {
            PasswordReply reply = prompt.askPassword(target, kind);
            // The prompt has shown whatever ended it.
            if (!reply.answer) {
                outcome.write = reply.ended;
                return outcome;
            }
            answer = std::move(reply.answer);
        }
        if (!passwordAccepted(answer->reply, kind)) return fail(Outcome::WrongPassword);
        connection = std::move(answer->connection);
        password = std::move(answer->password);
    } else {
        Connected connected = connectTo(network, device.ipAddress, Outcome::WriteConnectFailed, ui);
        if (!connected.connection) return fail(connected.failure);
        connection = std::move(connected.connection);
    }

    const Bytes image = buildImage(*document.config, kind);
    const BlockingStep step{WaitFor::Download, device.ipAddress};
    // Every failure from here on shows its message; the connection closes on return.
    const bool sent = !image.empty() && sendRequest(*connection, image, step, ui);
    ReplyBytes ack{};
    const std::optional<std::size_t> received =
        sent ? receiveReply(*connection, ack, step, ui) : std::nullopt;
    // Whether the device stored the image is unknown then, as after a failed connect.
    if (ui.cancelled()) return fail(Outcome::WriteConnectFailed);
    if (!sent) return fail(Outcome::WriteSendFailed);
    if (!received) return fail(Outcome::WriteNoAcknowledgement);
    if (!replyCodeIs(std::span(ack.data(), *received), writeCode(kind)))
        return fail(Outcome::WriteRejected);
    connection->close();
    if (afterAcknowledgement) {
        outcome.verification = afterAcknowledgement(password);
        if (outcome.verification == Verification::Differs ||
            outcome.verification == Verification::ReadFailed)
            return outcome;
    }
    outcome.reset = remoteReset(target, ui, prompt);
    return outcome;
}

}  // namespace

DownloadOutcome download(const FlowTarget& target, const ConfigDocument& document, FlowUi& ui,
                         DownloadPrompt& prompt, const AfterAcknowledgement& afterAcknowledgement) {
    const CancelScope scope(ui);
    const DownloadOutcome outcome =
        downloadSteps(target, document, ui, prompt, afterAcknowledgement);
    prompt.downloadEnded(outcome);
    return outcome;
}

ReadBackResult readBack(const FlowTarget& target, ConfigKind kind,
                        const std::vector<Gbk>& passwords, FlowUi& ui) {
    ReadBackResult result;
    const auto failed = [&](Outcome outcome) {
        ui.report(outcome);
        result.outcome = outcome;
        return result;
    };
    if (!target.device) return failed(Outcome::NoSelection);
    const CEquipment& device = *target.device;

    std::optional<TcpConnection> connection;
    for (const Gbk& password : passwords) {
        PasswordAttempt attempt = checkPassword(target.network, device.ipAddress, kind, password,
                                                Outcome::ConnectFailed, ui);
        if (!attempt.answer) return failed(attempt.outcome);
        if (!passwordAccepted(attempt.answer->reply, kind)) continue;
        connection = std::move(attempt.answer->connection);
        break;
    }
    if (!passwords.empty() && !connection) return failed(Outcome::WrongPassword);
    if (!connection) {
        Connected connected =
            connectTo(target.network, device.ipAddress, Outcome::ReadConnectFailed, ui);
        if (!connected.connection) return failed(connected.failure);
        connection = std::move(connected.connection);
    }

    CConfiguration config;
    if (device.isKvt275r()) config.productCode = kProductKvt275r;
    const Outcome read = readImage(*connection, device, kind, config, ui);
    if (read != Outcome::Done) return failed(read);
    result.config = std::move(config);
    return result;
}

Outcome remoteReset(const FlowTarget& target, FlowUi& ui, ResetPrompt& prompt) {
    if (!target.device) return Outcome::NoSelection;
    const CEquipment& device = *target.device;
    if (device.remoteForbidden()) return ended(ui, Outcome::ResetForbidden);
    if (!prompt.confirmReset()) return Outcome::Cancelled;
    const CancelScope scope(ui);

    Connected connected = connectTo(target.network, device.ipAddress, Outcome::ConnectFailed, ui);
    if (!connected.connection) return ended(ui, connected.failure);
    TcpConnection& connection = *connected.connection;
    const BlockingStep step{WaitFor::Reset, device.ipAddress};
    const bool sent = sendRequest(connection, resetRequest(), step, ui);
    ReplyBytes reply{};
    const std::optional<std::size_t> received =
        sent ? receiveReply(connection, reply, step, ui) : std::nullopt;
    if (ui.cancelled()) return Outcome::ConnectFailed;
    if (!sent) return Outcome::SendFailed;
    if (!received || !replyCodeIs(std::span(reply.data(), *received), kCmdReset))
        return ended(ui, Outcome::ResetFailed);
    connection.close();
    return Outcome::Done;
}

}  // namespace kvt
