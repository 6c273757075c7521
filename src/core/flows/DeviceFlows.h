#pragma once
// The user's flows with the selected device: reading a configuration, the password check,
// downloading with the reset offer after it, the reset. Each returns its outcome and has shown
// the outcome's message (FlowUi::report) by the time it returns.
#include <functional>
#include <optional>
#include <vector>

#include "core/Session.h"
#include "core/flows/FlowUi.h"
#include "core/flows/Outcome.h"
#include "core/text/Gbk.h"

namespace kvt {

struct PasswordAttempt {
    // Done: `answer` holds the device's reply. ConnectFailed, PasswordNoReply: the dialog shows
    // the message and stays for another try. SocketFailed, SendFailed, NoSelection: silent.
    Outcome outcome = Outcome::Done;
    std::optional<PasswordAnswer> answer;
};

// One OK of the password dialog: a fresh connection to the selected device, the password check
// of `kind`, its 16-byte reply. Shows nothing itself: the dialog (or the CLI) reports the
// outcome.
PasswordAttempt attemptPasswordCheck(const Session& session, ConfigKind kind, const Gbk& password,
                                     FlowUi& ui);

// Reads the selected device's configuration of `kind`. On Done it is the current configuration,
// of origin ReadFromDevice (with the password it took), under the caption of the read's button.
// Outcomes: Done, NoSelection, Cancelled (password dialog), WrongPassword, ReadForbidden,
// ReadConnectFailed, SocketFailed, SendFailed, ReadRejected, ReadIncomplete.
Outcome readConfiguration(Session& session, ConfigKind kind, FlowUi& ui);

// Runs once the device has acknowledged a download, before the reset offer (the device still
// serves its old address then), with the password that proved the write (empty when the device
// has none for the kind). A check that did not find the written configuration (Differs,
// ReadFailed) ends the download without the reset offer: a device that did not store what was
// written is not reset onto an address nobody verified.
using AfterAcknowledgement = std::function<Verification(const Gbk& password)>;

// Downloads the current configuration to the selected device, proving the password first where
// the device has one for the kind: a configuration read from the device presents the password
// of that read again; any other asks for it. After the acknowledgement it runs
// `afterAcknowledgement` (when given), then offers the reset unless that check failed.
DownloadOutcome download(Session& session, FlowUi& ui,
                         const AfterAcknowledgement& afterAcknowledgement = {});

struct ReadBackResult {
    // Done with `config` set; else NoSelection, ConnectFailed, PasswordNoReply, WrongPassword,
    // ReadConnectFailed, SocketFailed, SendFailed, ReadRejected, ReadIncomplete (reported).
    Outcome outcome = Outcome::Done;
    std::optional<CConfiguration> config;
};

// Reads the configuration of `kind` from the selected device again after a write, to see what
// it now holds; the session's current configuration is left as it is. With `passwords` it
// presents them in turn, each on a fresh connection, and reads on the first one's connection
// that the device accepts (a write may just have changed the password); without, it reads on a
// plain connection.
ReadBackResult readBack(const Session& session, ConfigKind kind, const std::vector<Gbk>& passwords,
                        FlowUi& ui);

// The reset question and the reset request. Outcomes: Done, NoSelection, ResetForbidden,
// Cancelled (declined), ConnectFailed, SocketFailed, SendFailed, ResetFailed.
Outcome remoteReset(const Session& session, FlowUi& ui);

}  // namespace kvt
