#include "CliContext.h"

#include <iostream>

#include "core/flows/DeviceFlows.h"
#include "core/text/ExtraText.h"
#include "core/text/UiText.h"

namespace kvt::cli {

int exitStatusFor(Outcome outcome) {
    switch (outcome) {
        case Outcome::Done:
            return kExitOk;
        case Outcome::NothingFound:
        case Outcome::SearchFailed:
        case Outcome::SearchWrongReply:
            return kExitNotFound;
        case Outcome::PasswordMissing:
            return kExitPasswordMissing;
        case Outcome::WrongPassword:
            return kExitWrongPassword;
        case Outcome::SearchPortBusy:
            return kExitListen;
        case Outcome::ReadForbidden:
        case Outcome::ResetForbidden:
        case Outcome::OpenForbidden:
            return kExitForbidden;
        case Outcome::ReadConnectFailed:
        case Outcome::ReadIncomplete:
        case Outcome::ConnectFailed:
        case Outcome::WriteConnectFailed:
        case Outcome::WriteSendFailed:
        case Outcome::WriteNoAcknowledgement:
        case Outcome::PasswordConnectFailed:
        case Outcome::PasswordNoReply:
            return kExitConnection;
        case Outcome::ReadRejected:
        case Outcome::WriteRejected:
        case Outcome::ResetFailed:
            return kExitBadReply;
        case Outcome::Cancelled:
        case Outcome::NoSelection:
        case Outcome::NoConfiguration:
        case Outcome::SocketFailed:
        case Outcome::SendFailed:
        case Outcome::WarningsDeclined:
        case Outcome::FileMissing:
        case Outcome::DownloadNoDevice:
        case Outcome::SaveFailed:
        case Outcome::LegacyDownload:
        case Outcome::OpenFailed:
            return kExitFailure;
    }
    return kExitFailure;
}

void failAfter(Outcome outcome, const char* silentWhat) {
    if (outcome == Outcome::PasswordMissing)
        throw CliFailure(uiTextUtf8(7004), kExitPasswordMissing);
    throw CliFailure(messageFor(outcome) != 0 ? "" : silentWhat, exitStatusFor(outcome));
}

void CliFlowUi::message(std::uint32_t textId) {
    std::cerr << "kvt640-cli: " << messageTextUtf8(textId) << '\n';
}

PasswordReply CliPasswords::askPassword(const FlowTarget& target, ConfigKind kind) {
    const std::optional<Gbk>& password = m_passwords[kindNumber(kind)];
    if (!password) return {std::nullopt, Outcome::PasswordMissing};
    PasswordAttempt attempt = attemptPasswordCheck(target, kind, *password, m_ui);
    if (!attempt.answer) {
        m_ui.report(attempt.outcome);
        return {std::nullopt, attempt.outcome};
    }
    return {std::move(attempt.answer), Outcome::Done};
}

CLI::App* CliContext::addCommand(CLI::App& parent, const std::string& name,
                                 const std::string& description, const std::string& usage,
                                 std::function<void()> run) {
    CLI::App* command = parent.add_subcommand(name, description);
    usages[command] = usage;
    if (run) commands.push_back({command, std::move(run)});
    return command;
}

std::string CliContext::usageOf(const CLI::App* app) const {
    const auto found = usages.find(app);
    return found != usages.end() ? found->second : std::string();
}

}  // namespace kvt::cli
