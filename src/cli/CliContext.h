#pragma once
// What every kvt640-cli command shares: the session, the FlowUi that answers the flows from the
// command line, and the table of registered commands with their usage lines.
#include <CLI/CLI.hpp>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Session.h"
#include "core/flows/FlowUi.h"
#include "core/flows/Outcome.h"

namespace kvt::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
// The network commands' statuses, one per kind of failure (also in their --help).
inline constexpr int kExitNotFound = 3;         // no device answered the search
inline constexpr int kExitPasswordMissing = 4;  // the device needs a password and none was given
inline constexpr int kExitWrongPassword = 5;
inline constexpr int kExitForbidden = 6;   // remote configuration forbidden by the device
inline constexpr int kExitConnection = 7;  // connect, send or receive failed
inline constexpr int kExitBadReply = 8;    // the device answered with the wrong reply
inline constexpr int kExitListen = 9;  // the listener, or a search, could not bind its local port

// The exit status of a flow that ended with `outcome`.
int exitStatusFor(Outcome outcome);

// A failed command. The message (UTF-8) goes to stderr unless it is empty because a flow has
// already shown it.
class CliFailure : public std::runtime_error {
public:
    explicit CliFailure(const std::string& message, int exitCode = kExitFailure)
        : std::runtime_error(message), m_exitCode(exitCode) {}
    int exitCode() const { return m_exitCode; }

private:
    int m_exitCode;
};

// Answers the flows' questions from the command line: paths, kind and reset answer are set by
// the command before it runs a flow; messages go to stderr as the desktop tool's message boxes.
class CliFlowUi : public FlowUi {
public:
    void message(std::uint32_t textId) override;
    std::optional<PasswordAnswer> askPassword(const Session& session, ConfigKind kind) override;
    // The write command has listed what validate() found and refused it unless --force.
    bool confirmWarnings(const std::vector<FieldIssue>&) override { return force; }
    bool confirmReset() override { return resetAnswer; }
    std::optional<ConfigKind> chooseKind() override { return chosenKind; }
    std::string chooseSavePath() override { return savePath; }
    std::string chooseOpenPath() override { return openPath; }

    std::optional<ConfigKind> chosenKind;
    std::string savePath;
    std::string openPath;
    bool resetAnswer = false;
    bool force = false;
    // A script cannot be prompted: the command that knows the password supplies the answer.
    // Unset, the password dialog counts as given up.
    std::function<std::optional<PasswordAnswer>(const Session&, ConfigKind)> passwordHandler;
    // Why the password "dialog" gave up, where the flow's own outcome (Cancelled) does not say:
    // no --password, or the one attempt's failure.
    bool passwordMissing = false;
    std::optional<Outcome> passwordFailure;
};

struct CliContext;

// Ends a command whose flow ended with `outcome` (not Done): the flow has shown its message, if
// the outcome has one; a silent end says `silentWhat`. A password dialog that gave up stands for
// the one attempt the command makes.
[[noreturn]] void failAfter(const CliContext& context, Outcome outcome, const char* silentWhat);

struct CliContext {
    Session session;
    CliFlowUi ui;
    std::string lang = "zh";

    // Adds a command under `parent`; `run` is called after the whole command line has been
    // parsed (so that options such as --lang that come last are already in place).
    CLI::App* addCommand(CLI::App& parent, const std::string& name, const std::string& description,
                         const std::string& usage, std::function<void()> run);
    // Usage line of the command (or `app` itself) for the error output.
    std::string usageOf(const CLI::App* app) const;

    struct Command {
        CLI::App* app;
        std::function<void()> run;
    };
    std::vector<Command> commands;
    std::map<const CLI::App*, std::string> usages;
};

}  // namespace kvt::cli
