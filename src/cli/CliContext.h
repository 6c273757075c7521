#pragma once
// What every kvt640-cli command shares: the network options and the language, the FlowUi that
// runs the flows, the answers a command gives to their questions, and the table of registered
// commands with their usage lines.
#include <CLI/CLI.hpp>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/flows/Document.h"
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

// Runs the flows of a command: their messages go to stderr as the desktop tool's message boxes.
class CliFlowUi : public FlowUi {
public:
    void message(std::uint32_t textId) override;
};

// The password question of a script, which cannot be prompted: one attempt with the password of
// the kind from the command's sources; none there ends the prompt with PasswordMissing.
class CliPasswords : public virtual PasswordPrompt {
public:
    using ByKind = std::array<std::optional<Gbk>, 2>;
    CliPasswords(ByKind passwords, FlowUi& ui) : m_passwords(std::move(passwords)), m_ui(ui) {}
    PasswordReply askPassword(const FlowTarget& target, ConfigKind kind) override;

private:
    ByKind m_passwords;
    FlowUi& m_ui;
};

// write: the password as above, the warnings (listed already) sent with --force only, the reset
// with --reset only.
class CliDownload : public DownloadPrompt {
public:
    CliDownload(PasswordPrompt& passwords, bool reset, bool force)
        : m_passwords(passwords), m_reset(reset), m_force(force) {}
    PasswordReply askPassword(const FlowTarget& target, ConfigKind kind) override {
        return m_passwords.askPassword(target, kind);
    }
    bool confirmWarnings(const std::vector<FieldIssue>&) override { return m_force; }
    bool confirmReset() override { return m_reset; }

private:
    PasswordPrompt& m_passwords;
    bool m_reset;
    bool m_force;
};

// The reset command's answer to the reset question: yes.
class CliReset : public ResetPrompt {
public:
    bool confirmReset() override { return true; }
};

// Save to `path`: the kind given on the command line (read -o), and the password for its read
// when `passwords` are given; a configuration already there needs neither.
class CliSave : public SavePrompt {
public:
    CliSave(std::string path, std::optional<ConfigKind> kind = std::nullopt,
            PasswordPrompt* passwords = nullptr)
        : m_path(std::move(path)), m_kind(kind), m_passwords(passwords) {}
    PasswordReply askPassword(const FlowTarget& target, ConfigKind kind) override {
        if (!m_passwords) return {std::nullopt, Outcome::PasswordMissing};
        return m_passwords->askPassword(target, kind);
    }
    std::optional<ConfigKind> chooseKind() override { return m_kind; }
    std::string chooseSavePath() override { return m_path; }

private:
    std::string m_path;
    std::optional<ConfigKind> m_kind;
    PasswordPrompt* m_passwords;
};

// Open of the file at `path`.
class CliOpen : public OpenPrompt {
public:
    explicit CliOpen(std::string path) : m_path(std::move(path)) {}
    std::string chooseOpenPath() override { return m_path; }

private:
    std::string m_path;
};

// Ends a command whose flow ended with `outcome` (not Done): the flow has shown its message, if
// the outcome has one; a silent end says `silentWhat`.
[[noreturn]] void failAfter(Outcome outcome, const char* silentWhat);

struct CliContext {
    NetworkOptions network;
    // The configuration an offline command works on.
    ConfigDocument document;
    CliFlowUi ui;
    std::string lang = "zh";  // as given by --lang
    Lang language = Lang::Zh;

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
