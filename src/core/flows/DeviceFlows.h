#pragma once
// The user's flows with a device, the target's: reading a configuration, the password check,
// downloading with the reset offer after it, the reset. Each returns its outcome and has shown
// the outcome's message (FlowUi::report) by the time it returns.
#include <functional>
#include <optional>
#include <vector>

#include "core/flows/Document.h"
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

// One OK of the password dialog: a fresh connection to the target's device, the password check
// of `kind`, its 16-byte reply. Shows nothing itself: the dialog (or the CLI) reports the
// outcome.
PasswordAttempt attemptPasswordCheck(const FlowTarget& target, ConfigKind kind, const Gbk& password,
                                     FlowUi& ui);

// Reads the target's configuration of `kind`. On Done it is the document's configuration, of
// origin ReadFromDevice (with the password it took), under the caption of the read's button.
// Outcomes: Done, NoSelection, the password prompt's end, WrongPassword, ReadForbidden,
// ReadConnectFailed, SocketFailed, SendFailed, ReadRejected, ReadIncomplete.
Outcome readConfiguration(const FlowTarget& target, ConfigKind kind, ConfigDocument& document,
                          FlowUi& ui, PasswordPrompt& prompt);

// Runs once the device has acknowledged a download, before the reset offer (the device still
// serves its old address then), with the password that proved the write (empty when the device
// has none for the kind). A check that did not find the written configuration (Differs,
// ReadFailed) ends the download without the reset offer: a device that did not store what was
// written is not reset onto an address nobody verified.
using AfterAcknowledgement = std::function<Verification(const Gbk& password)>;

// Downloads the document's configuration to the target's device, proving the password first
// where the device has one for the kind: a configuration read from the device presents the
// password of that read again; any other asks for it. After the acknowledgement it runs
// `afterAcknowledgement` (when given), then offers the reset unless that check failed.
DownloadOutcome download(const FlowTarget& target, const ConfigDocument& document, FlowUi& ui,
                         DownloadPrompt& prompt,
                         const AfterAcknowledgement& afterAcknowledgement = {});

struct ReadBackResult {
    // Done with `config` set; else NoSelection, ConnectFailed, PasswordNoReply, WrongPassword,
    // ReadConnectFailed, SocketFailed, SendFailed, ReadRejected, ReadIncomplete (reported).
    Outcome outcome = Outcome::Done;
    std::optional<CConfiguration> config;
};

// Reads the configuration of `kind` from the target's device again after a write, to see what
// it now holds. With `passwords` it
// presents them in turn, each on a fresh connection, and reads on the first one's connection
// that the device accepts (a write may just have changed the password); without, it reads on a
// plain connection.
ReadBackResult readBack(const FlowTarget& target, ConfigKind kind,
                        const std::vector<Gbk>& passwords, FlowUi& ui);

// The reset question and the reset request. Outcomes: Done, NoSelection, ResetForbidden,
// Cancelled (declined), ConnectFailed, SocketFailed, SendFailed, ResetFailed.
Outcome remoteReset(const FlowTarget& target, FlowUi& ui, ResetPrompt& prompt);

}  // namespace kvt
