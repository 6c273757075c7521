#include "core/flows/ReadBack.h"

#include <algorithm>
#include <chrono>

#include "core/config/DeviceImage.h"
#include "core/device/Exchange.h"
#include "core/device/Messages.h"
#include "core/flows/DeviceFlows.h"

namespace kvt {

ReadBackResult readBack(const Session& session, ConfigKind kind, const std::vector<Gbk>& passwords,
                        FlowUi& ui) {
    ReadBackResult result;
    const auto failed = [&](Outcome outcome) {
        ui.report(outcome);
        result.outcome = outcome;
        return result;
    };
    const CEquipment* selected = session.selectedDevice();
    if (!selected) return failed(Outcome::NoSelection);
    const CEquipment device = *selected;

    std::optional<TcpConnection> connection;
    if (!passwords.empty()) {
        for (const Gbk& password : passwords) {
            PasswordAttempt attempt = attemptPasswordCheck(session, kind, password, ui);
            if (!attempt.answer) return failed(attempt.outcome);
            if (!passwordAccepted(attempt.answer->reply, kind)) continue;
            connection = std::move(attempt.answer->connection);
            break;
        }
        if (!connection) return failed(Outcome::WrongPassword);
    } else {
        ConnectError error = ConnectError::None;
        connection = connectDevice(
            device.ipAddress, session.network.devicePort,
            std::chrono::milliseconds(std::max(1, session.network.connectTimeoutMs)), ui, &error);
        if (!connection)
            return failed(error == ConnectError::Failed ? Outcome::ReadConnectFailed
                                                        : Outcome::SocketFailed);
    }

    CConfiguration config;
    if (device.isKvt275r()) config.productCode = kProductKvt275r;
    if (!sendRequest(*connection, readRequest(kind), ui)) return failed(Outcome::SendFailed);
    const ImageReply reply = receiveImage(*connection, isLegacyProduct(config.productCode), ui);
    if (!replyCodeIs(reply.bytes, kind == kBackgroundConfig ? kCmdReadBackground : kCmdReadUser))
        return failed(Outcome::ReadRejected);
    if (!reply.complete) return failed(Outcome::ReadIncomplete);
    parseImage(reply.bytes, kind, config);
    result.config = std::move(config);
    return result;
}

}  // namespace kvt
