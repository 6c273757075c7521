#pragma once
// Applying a configuration to one gateway without anyone at the keyboard: read what it holds,
// write only when that differs, read it back and compare, reset only after a verified write.
// Built from the user's flows (read, download, reset), so the device sees the same exchanges
// as from the desktop tool.
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/config/Configuration.h"
#include "core/config/Validate.h"
#include "core/enip/EnipClient.h"
#include "core/fleet/Diff.h"
#include "core/flows/Outcome.h"
#include "core/net/NetworkOptions.h"
#include "core/text/ExtraText.h"
#include "core/text/Gbk.h"

namespace kvt {

struct ApplyOptions {
    bool verify = true;  // read back after an acknowledged write and compare
    // Reset after a verified write (after any acknowledged one without verify), and when the
    // device already holds a static address that it does not serve on yet.
    bool reset = false;
    bool force = false;   // send what validate() finds fault with
    bool dryRun = false;  // read and compare only
    // After the reset (or at the device's address when there was none to do): wait until it
    // answers ListIdentity where it now serves, at most enipTimeout, and compare its assembly
    // sizes with the applied configuration's (a user configuration's are not compared).
    bool checkEnip = false;
    std::chrono::seconds enipTimeout{30};
    // Passwords of the kind to get in with, tried in order until the device accepts one. Put the
    // wanted configuration's own password last: a device that took it earlier is let in again.
    std::vector<Gbk> passwords;
};

enum class ApplyVerdict {
    Unchanged,           // the device already held it: nothing was written
    Applied,             // written (and verified unless verify was off)
    WouldChange,         // dry run: a write would be needed
    VerificationFailed,  // acknowledged, but the device holds something else (or cannot be read)
    Refused,             // validate() found fault with the wanted configuration: nothing sent
    Failed,              // a step failed: `failure` says which
    EnipNoAnswer,        // applied, but no EtherNet/IP answer where the device should serve
    EnipMismatch,        // applied, but EtherNet/IP reports other assembly sizes
};

// "unchanged", "applied", "would_change", "verification_failed", "refused", "failed",
// "enip_no_answer", "enip_mismatch".
const char* verdictName(ApplyVerdict verdict);

struct ApplyResult {
    std::string ip;  // where the device was found, UTF-8
    std::string mac;
    std::string newIp;  // the wanted IP address
    ConfigKind kind = kUserConfig;
    ApplyVerdict verdict = ApplyVerdict::Failed;
    bool changed = false;   // a write was acknowledged (dry run: would be sent)
    bool verified = false;  // read back and found equal
    bool reset = false;     // the reset was acknowledged
    // Before a write: what the device held against what was wanted (left: device). After a
    // failed verification: what the device holds now against what was wanted.
    std::vector<FieldDifference> differences;
    std::vector<FieldIssue> issues;       // what validate() found (Refused, or sent with force)
    Outcome failure = Outcome::Done;      // the step that failed (Failed, or a failed read-back)
    bool passwordMissing = false;         // Failed: the device wants a password and none was given
    std::optional<enip::EnipCheck> enip;  // with checkEnip, once the write part succeeded
    Text message;                         // one line for people: render() in a language

    bool succeeded() const {
        return verdict == ApplyVerdict::Unchanged || verdict == ApplyVerdict::Applied ||
               verdict == ApplyVerdict::WouldChange;
    }
};

// Makes the wanted configuration from what the device holds now (a file ignores it; an
// inventory row fills the fields it does not set from it).
using WantedFrom = std::function<CConfiguration(const CConfiguration& current)>;

// Applies to `device`, a record of a search. Blocks; safe to run for different devices on
// several threads at once (each call has its own document and connections).
ApplyResult applyConfiguration(const NetworkOptions& network, const CEquipment& device,
                               ConfigKind kind, const WantedFrom& wanted,
                               const ApplyOptions& options);

// The same for the device that answers a search by IP at `address`. Searches by IP share the
// discovery socket's local port: do not run two at once.
ApplyResult applyAtAddress(const NetworkOptions& network, const std::string& address,
                           ConfigKind kind, const WantedFrom& wanted, const ApplyOptions& options);

}  // namespace kvt
