#pragma once
// Reading the selected device's configuration again after a write, to see what it now holds:
// passwords are presented without a dialog, and the session's current configuration is left as
// it is.
#include <optional>
#include <vector>

#include "core/Session.h"
#include "core/flows/FlowUi.h"
#include "core/flows/Outcome.h"
#include "core/text/Gbk.h"

namespace kvt {

struct ReadBackResult {
    // Done with `config` set; else NoSelection, ConnectFailed, PasswordNoReply, WrongPassword,
    // ReadConnectFailed, SocketFailed, SendFailed, ReadRejected, ReadIncomplete (reported).
    Outcome outcome = Outcome::Done;
    std::optional<CConfiguration> config;
};

// Reads the configuration of `kind` from the selected device. With `passwords` it presents them
// in turn, each on a fresh connection, and reads on the first one's connection that the device
// accepts (a write may just have changed the password); without, it reads on a plain
// connection.
ReadBackResult readBack(const Session& session, ConfigKind kind, const std::vector<Gbk>& passwords,
                        FlowUi& ui);

}  // namespace kvt
