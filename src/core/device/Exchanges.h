#pragma once
// The configuration exchanges with one device, in the order of steps and with the messages the
// user sees. Every failure is reported through FlowUi::message with its UI text id.
#include <cstdint>
#include <optional>

#include "core/Session.h"
#include "core/device/FlowUi.h"
#include "core/net/Socket.h"
#include "core/text/Gbk.h"

namespace kvt {

struct PasswordAttempt {
    std::optional<TcpConnection> connection;  // set when a reply arrived (judged by the caller)
    std::uint32_t messageId = 0;              // 4031, 4032, 7002, or 0 (silent failure)
};

// One OK of the password dialog: a fresh connection to session.currentDeviceAddress, the
// password check of `kind`, 16 reply bytes into session.passwordReply. Stores the password as
// session.lastPassword once connected.
PasswordAttempt attemptPasswordCheck(Session& session, int kind, const Gbk& password, FlowUi& ui);

// Reads the selected device's configuration of `kind` into a fresh session.config.
bool readConfiguration(Session& session, int kind, FlowUi& ui);

// Downloads session.config to the selected device (password path as needed), checks the
// acknowledgement and then offers the reset. Sets session.chooserResult.
void download(Session& session, FlowUi& ui);

// The reset question and the reset request (after an acknowledged download).
void remoteReset(Session& session, FlowUi& ui);

}  // namespace kvt
