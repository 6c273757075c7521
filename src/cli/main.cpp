// kvt640-cli: the tool's operations for scripts. Exit status 0 on success, 2 on a usage error,
// 1 (or a command's own status) on any other failure, with the message on stderr.
#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>

#include "CliContext.h"
#include "FleetCommands.h"
#include "KvtVersion.h"
#include "ManPage.h"
#include "NetworkCommands.h"
#include "OfflineCommands.h"
#include "core/platform/Console.h"

namespace {

std::string mainUsage(const CLI::App& app) {
    std::string names;
    for (const CLI::App* command : app.get_subcommands({})) {
        names += names.empty() ? "" : "|";
        names += command->get_name();
    }
    return "kvt640-cli [--lang zh|en] " + names + " ...  (--help for details)";
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kvt::cli;
    kvt::platform::prepareConsole();
    CliContext context;
    CLI::App app{"Configuration tool for KVT-275R gateways", "kvt640-cli"};
    // Set before any command is added so that every command passes --lang up to here, wherever
    // it stands on the command line.
    app.fallthrough();
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("kvt640-cli ") + kvt::kVersion);
    app.add_option("--lang", context.lang, "language of the resources: zh (default) or en")
        ->check(CLI::IsMember({"zh", "en"}));

    addOfflineCommands(app, context);
    addNetworkCommands(app, context);
    addFleetCommands(app, context);

    // For the build only: the man page's COMMANDS section from the definitions above.
    if (argc == 2 && std::string(argv[1]) == "--man-commands") {
        std::cout << manCommands(app, context);
        return kExitOk;
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
            return app.exit(error);  // --help
        }
        const CLI::App* deepest = &app;
        while (!deepest->get_subcommands().empty()) deepest = deepest->get_subcommands().front();
        std::string usage = context.usageOf(deepest);
        if (usage.empty()) usage = mainUsage(app);
        std::cerr << "kvt640-cli: " << error.what() << "\nusage: " << usage << '\n';
        return kExitUsage;
    }
    context.session.lang = context.lang == "en" ? kvt::Lang::En : kvt::Lang::Zh;

    try {
        for (const auto& command : context.commands) {
            if (command.app->parsed()) {
                command.run();
                break;
            }
        }
        std::cout.flush();
        if (!std::cout) throw CliFailure("cannot write the output");
        return kExitOk;
    } catch (const CliFailure& failure) {
        if (*failure.what() != '\0') std::cerr << "kvt640-cli: " << failure.what() << '\n';
        return failure.exitCode();
    } catch (const std::exception& error) {
        std::cerr << "kvt640-cli: " << error.what() << '\n';
        return kExitFailure;
    }
}
