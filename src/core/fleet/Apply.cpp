#include "core/fleet/Apply.h"

#include <optional>

#include "core/Session.h"
#include "core/device/Messages.h"
#include "core/fleet/WriteCheck.h"
#include "core/flows/DeviceFlows.h"
#include "core/flows/FlowUi.h"
#include "core/flows/SearchFlows.h"
#include "core/text/ExtraText.h"

namespace kvt {
namespace {

// Answers the flows without asking anyone: passwords from the list, no warnings question
// (checked before), the reset only when the apply asks for it.
class ApplyUi : public FlowUi {
public:
    explicit ApplyUi(std::vector<Gbk> passwords) : m_passwords(std::move(passwords)) {}

    void message(std::uint32_t) override {}  // the result carries the outcome instead

    std::optional<PasswordAnswer> askPassword(const Session& session, ConfigKind kind) override {
        if (m_passwords.empty()) {
            m_passwordMissing = true;
            return std::nullopt;
        }
        std::optional<PasswordAnswer> last;
        for (const Gbk& password : m_passwords) {
            PasswordAttempt attempt = attemptPasswordCheck(session, kind, password, *this);
            if (!attempt.answer) {
                m_attemptFailure = attempt.outcome;
                return std::nullopt;
            }
            if (passwordAccepted(attempt.answer->reply, kind)) return std::move(attempt.answer);
            last = std::move(attempt.answer);  // refused: the flow reports it unless another fits
        }
        return last;
    }

    bool confirmReset() override { return m_resetAnswer; }
    std::optional<ConfigKind> chooseKind() override { return std::nullopt; }
    std::string chooseSavePath() override { return {}; }
    std::string chooseOpenPath() override { return {}; }

    void setResetAnswer(bool answer) { m_resetAnswer = answer; }
    bool passwordMissing() const { return m_passwordMissing; }
    // A Cancelled flow stands for the password attempt that failed, when one did.
    Outcome explain(Outcome outcome) const {
        return outcome == Outcome::Cancelled && m_attemptFailure ? *m_attemptFailure : outcome;
    }

private:
    std::vector<Gbk> m_passwords;
    bool m_resetAnswer = false;
    bool m_passwordMissing = false;
    std::optional<Outcome> m_attemptFailure;
};

Text failureText(Outcome outcome, bool passwordMissing) {
    if (passwordMissing) return text(kTxtPasswordMissing);
    if (const std::uint32_t id = messageFor(outcome)) return text(id);
    return text(kTxtFailedStep, {literal(outcomeName(outcome))});
}

ApplyResult failed(ApplyResult result, Outcome outcome, const ApplyUi& ui) {
    result.verdict = ApplyVerdict::Failed;
    result.failure = ui.explain(outcome);
    result.passwordMissing = outcome == Outcome::Cancelled && ui.passwordMissing();
    result.message = failureText(result.failure, result.passwordMissing);
    return result;
}

// The reset after a write (or of a device that already holds what was meant); on failure
// `result` becomes the failure, its message saying what came before.
bool resetDevice(Session& session, ApplyUi& ui, ApplyResult& result, TextId before) {
    ui.setResetAnswer(true);
    const Outcome reset = remoteReset(session, ui);
    if (reset != Outcome::Done) {
        result = failed(std::move(result), reset, ui);
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

    Session session;
    session.network = network;
    session.devices.assign(1, device);
    if (session.selectRow(0) != Session::Selection::Supported) {
        result.failure = Outcome::NoSelection;
        result.message = text(kTxtNotSupported);
        return result;
    }
    ApplyUi ui(options.passwords);

    const Outcome read = readConfiguration(session, kind, ui);
    if (read != Outcome::Done) return failed(std::move(result), read, ui);
    const CConfiguration current = *session.config;
    const Gbk usedPassword = session.readPassword;

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
            if (!resetDevice(session, ui, result, kTxtHeldResetFailed)) return result;
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

    // The download of a configuration read from the device presents that read's password again.
    session.config = std::make_unique<CConfiguration>(target);
    session.configKind = kind;
    session.configOrigin = ConfigOrigin::ReadFromDevice;
    session.readPassword = usedPassword;
    ui.setResetAnswer(false);  // the reset waits for the verification
    const DownloadOutcome written = download(session, ui);
    if (!written.acknowledged()) return failed(std::move(result), written.write, ui);
    result.changed = true;

    if (options.verify) {
        // Before the reset: the device already holds what it stored but still serves the old
        // address, so the read-back needs no search for it.
        WriteCheck check = checkWrittenConfiguration(session, usedPassword, ui);
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

    if (options.reset && !resetDevice(session, ui, result, kTxtWrittenResetFailed)) return result;
    result.verdict = ApplyVerdict::Applied;
    result.message = text(result.verified ? kTxtWrittenVerified : kTxtWritten);
    if (result.reset) result.message = joined(std::move(result.message), text(kTxtResetToo));
    return checkedOnEnip(std::move(result), network, target, kind, options);
}

ApplyResult applyAtAddress(const NetworkOptions& network, const std::string& address,
                           ConfigKind kind, const WantedFrom& wanted, const ApplyOptions& options) {
    Session search;
    search.network = network;
    const Outcome found = searchByAddress(search, address);
    if (found != Outcome::Done) {
        ApplyResult result;
        result.ip = address;
        result.kind = kind;
        result.failure = found;
        result.message = text(kTxtNoAnswerAt, {literal(address)});
        return result;
    }
    return applyConfiguration(network, search.devices.front(), kind, wanted, options);
}

}  // namespace kvt
