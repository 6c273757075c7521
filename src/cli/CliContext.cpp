#include "CliContext.h"

#include <iostream>

#include "core/text/ExtraText.h"

namespace kvt::cli {

void CliFlowUi::message(std::uint32_t textId) {
    shown.push_back(textId);
    std::cerr << "kvt640-cli: " << messageTextUtf8(textId) << '\n';
}

std::optional<TcpConnection> CliFlowUi::askPassword(Session& session, int kind) {
    if (!passwordHandler) return std::nullopt;
    return passwordHandler(session, kind);
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
