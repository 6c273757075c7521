#include "core/fleet/Apply.h"

#include <optional>

#include "core/device/Messages.h"
#include "core/fleet/WriteCheck.h"
#include "core/flows/DeviceFlows.h"
#include "core/flows/FlowUi.h"
#include "core/flows/SearchFlows.h"
#include "core/text/ExtraText.h"

namespace kvt {
namespace {

// Runs the flows without a person: messages are left to the result, which carries the outcome.
class QuietUi : public FlowUi {
public:
    void message(std::uint32_t) override {}
};

// The password question answered from the list: each password in turn until the device accepts
// one; with none given, the prompt ends with PasswordMissing.
class PasswordList : public DownloadPrompt {
public:
    PasswordList(std::vector<Gbk> passwords, FlowUi& ui)
        : m_passwords(std::move(passwords)), m_ui(ui) {}

    PasswordReply askPassword(const FlowTarget& target, ConfigKind kind) override {
        if (m_passwords.empty()) return {std::nullopt, Outcome::PasswordMissing};
        PasswordReply reply{std::nullopt, Outcome::Done};
        for (const Gbk& password : m_passwords) {
            PasswordAttempt attempt = attemptPasswordCheck(target, kind, password, m_ui);
            if (!attempt.answer) return {std::nullopt, attempt.outcome};
            const bool accepted = passwordAccepted(attempt.answer->reply, kind);
            // Refused: the flow reports it unless another fits.
            reply.answer = std::move(attempt.answer);
            if (accepted) break;
        }
        return reply;
    }
    // The reset waits for the verification: the download does not offer it.
    bool confirmReset() override { return false; }

private:
    std::vector<Gbk> m_passwords;
    FlowUi& m_ui;
};

// The reset that the apply was asked for.
class ResetWanted : public ResetPrompt {
public:
    bool confirmReset() override { return true; }
};

Text failureText(Outcome outcome, bool passwordMissing) {
    if (passwordMissing) return text(kTxtPasswordMissing);
    if (const std::uint32_t id = messageFor(outcome)) return text(id);
    return text(kTxtFailedStep, {literal(outcomeName(outcome))});
}

ApplyResult failed(ApplyResult result, Outcome outcome) {
    result.verdict = ApplyVerdict::Failed;
    result.passwordMissing = outcome == Outcome::PasswordMissing;
    // Scripts know a missing password by its own flag and status, and its failure name as that
    // of a prompt that gave up.
    result.failure = result.passwordMissing ? Outcome::Cancelled : outcome;
    result.message = failureText(result.failure, result.passwordMissing);
    return result;
}

// The reset after a write (or of a device that already holds what was meant); on failure
// `result` becomes the failure, its message saying what came before.
bool resetDevice(const FlowTarget& target, FlowUi& ui, ApplyResult& result, TextId before) {
    ResetWanted wanted;
    const Outcome reset = remoteReset(target, ui, wanted);
    if (reset != Outcome::Done) {
        result = failed(std::move(result), reset);
        result.message = text(before, {std::move(result.message)});
        return false;
    }
    result.reset = true;
    return true;
}

// The EtherNet/IP check after an applied (or unchanged) configuration: where the device serves
// now, which after a reset to a static address is the address it was given.
ApplyResult checkedOnEnip(ApplyResult result, const NetworkOptions& network,
                          const CConfiguration& applied, ConfigKind kind,
                          const ApplyOptions& options) {
    if (!options.checkEnip || options.dryRun) return result;
    const bool moved = result.reset && applied.ethernet.ipMethod == 0 && !result.newIp.empty();
    enip::Target target;
    target.address = moved ? result.newIp : result.ip;
    target.port = network.enipPort;
    target.localAddress = network.localAddress;
    const enip::EnipCheck check = enip::checkEnipWhenUp(
        target, kind == kBackgroundConfig ? &applied : nullptr, options.enipTimeout);
    if (!check.answered()) {
        result.verdict = ApplyVerdict::EnipNoAnswer;
        result.message = joined(
            std::move(result.message),
            text(kTxtEnipWithin,
                 {literal(check.message), literal(std::to_string(options.enipTimeout.count()))}));
    } else if (check.mismatch()) {
        result.verdict = ApplyVerdict::EnipMismatch;
        result.message =
            joined(std::move(result.message), text(kTxtEnipCheck, {literal(check.message)}));
    } else {
        result.message =
            joined(std::move(result.message), text(kTxtEnipCheck, {literal(check.message)}));
    }
    result.enip = check;
    return result;
}

}  // namespace

const char* verdictName(ApplyVerdict verdict) {
    switch (verdict) {
        case ApplyVerdict::Unchanged:
            return "unchanged";
        case ApplyVerdict::Applied:
            return "applied";
        case ApplyVerdict::WouldChange:
            return "would_change";
        case ApplyVerdict::VerificationFailed:
            return "verification_failed";
        case ApplyVerdict::Refused:
            return "refused";
        case ApplyVerdict::Failed:
            return "failed";
        case ApplyVerdict::EnipNoAnswer:
            return "enip_no_answer";
        case ApplyVerdict::EnipMismatch:
            return "enip_mismatch";
    }
    return "failed";
}

ApplyResult applyConfiguration(const NetworkOptions& network, const CEquipment& device,
                               ConfigKind kind, const WantedFrom& wanted,
                               const ApplyOptions& options) {
    ApplyResult result;
    result.ip = gbkToUtf8(device.ipAddress);
    result.mac = gbkToUtf8(device.macAddress);
    result.kind = kind;

    if (selectionOf(device) != Selection::Supported) {
        result.failure = Outcome::NoSelection;
        result.message = text(kTxtNotSupported);
        return result;
    }
    const FlowTarget flowTarget{network, device};
    QuietUi ui;
    PasswordList prompt(options.passwords, ui);

    // The download of the configuration read here, changed to the wanted one, presents the
    // read's password again, as after an edit in the desktop tool.
    ConfigDocument document;
    const Outcome read = readConfiguration(flowTarget, kind, document, ui, prompt);
    if (read != Outcome::Done) return failed(std::move(result), read);
    const CConfiguration current = *document.config;
    const Gbk usedPassword = document.readPassword;

    CConfiguration target = wanted(current);
    target.productCode = current.productCode;  // the device's, whatever the file says
    result.newIp = gbkToUtf8(target.ethernet.ipAddress);
    result.differences = diffConfigurations(current, target, kind);
    if (result.differences.empty()) {
        result.verdict = ApplyVerdict::Unchanged;
        result.message = text(kTxtAlreadyHeld);
        // An earlier write without a reset: the device holds a static address it does not serve
        // on yet. With DHCP or BOOTP the stored address is a placeholder and proves nothing.
        const bool pending =
            current.ethernet.ipMethod == 0 && current.ethernet.ipAddress != device.ipAddress;
        if (pending && options.reset && !options.dryRun) {
            if (!resetDevice(flowTarget, ui, result, kTxtHeldResetFailed)) return result;
            result.message =
                joined(std::move(result.message), text(kTxtResetToMove, {literal(result.newIp)}));
        } else if (pending) {
            result.message =
                joined(std::move(result.message), text(kTxtMovesAtReset, {literal(result.newIp)}));
        }
        return checkedOnEnip(std::move(result), network, current, kind, options);
    }
    if (options.dryRun) {
        result.verdict = ApplyVerdict::WouldChange;
        result.changed = true;
        result.message =
            text(kTxtWouldChange, {literal(std::to_string(result.differences.size()))});
        return result;
    }
    result.issues = downloadIssues(target, kind, current.ethernet.ipMethod);
    if (refusedWithoutForce(result.issues, options.force)) {
        result.verdict = ApplyVerdict::Refused;
        result.message = text(kTxtNothingSent, {issueMessageText(result.issues.front())});
        if (result.issues.size() > 1)
            result.message = joined(std::move(result.message), text(kTxtAndMore));
        return result;
    }

    *document.config = target;
    const DownloadOutcome written = download(flowTarget, document, ui, prompt);
    if (!written.acknowledged()) return failed(std::move(result), written.write);
    result.changed = true;

    if (options.verify) {
        // Before the reset: the device already holds what it stored but still serves the old
        // address, so the read-back needs no search for it.
        WriteCheck check = checkWrittenConfiguration(flowTarget, document, usedPassword, ui);
        if (check.read != Outcome::Done) {
            result.verdict = ApplyVerdict::VerificationFailed;
            result.failure = check.read;
            result.message = text(kTxtReadBackFailed, {failureText(result.failure, false)});
            return result;
        }
        // The result lists the device's side first.
        for (FieldDifference& d : check.differences) std::swap(d.left, d.right);
        result.differences = std::move(check.differences);
        if (!result.differences.empty()) {
            result.verdict = ApplyVerdict::VerificationFailed;
            result.message =
                text(kTxtHoldsOther, {literal(std::to_string(result.differences.size()))});
            return result;
        }
        result.verified = true;
    }

    if (options.reset && !resetDevice(flowTarget, ui, result, kTxtWrittenResetFailed)) return result;
    result.verdict = ApplyVerdict::Applied;
    result.message = text(result.verified ? kTxtWrittenVerified : kTxtWritten);
    if (result.reset) result.message = joined(std::move(result.message), text(kTxtResetToo));
    return checkedOnEnip(std::move(result), network, target, kind, options);
}

ApplyResult applyAtAddress(const NetworkOptions& network, const std::string& address,
                           ConfigKind kind, const WantedFrom& wanted, const ApplyOptions& options) {
    std::vector<CEquipment> table;
    const Outcome found = searchByAddress(network, table, address);
    if (found != Outcome::Done) {
        ApplyResult result;
        result.ip = address;
        result.kind = kind;
        result.failure = found;
        result.message = text(kTxtNoAnswerAt, {literal(address)});
        return result;
    }
    return applyConfiguration(network, table.front(), kind, wanted, options);
}

}  // namespace kvt
