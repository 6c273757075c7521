#pragma once
// What a flow needs from whoever drives it: the desktop tool answers with dialogs, the CLI and
// the fleet code from their arguments. The flows themselves (read, password check, download,
// reset, save, open, searches) live in the core and decide everything else.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/config/Configuration.h"
#include "core/config/Validate.h"
#include "core/device/Exchange.h"
#include "core/flows/Document.h"
#include "core/flows/Outcome.h"
#include "core/text/Gbk.h"

namespace kvt {

// How the read-back after an acknowledged download ended.
enum class Verification {
    NotAsked,
    Verified,    // the device holds what was written
    Differs,     // it holds something else
    ReadFailed,  // it could not be read back
};

struct DownloadOutcome {
    // Done once the device has acknowledged the image; else DownloadNoDevice,
    // NoConfiguration, LegacyDownload, WarningsDeclined, the password prompt's end
    // (PasswordReply::ended), PasswordConnectFailed,
    // SocketFailed, SendFailed, PasswordNoReply, WrongPassword, WriteConnectFailed,
    // WriteSendFailed, WriteNoAcknowledgement, WriteRejected.
    Outcome write = Outcome::Done;
    // The reset offered after an acknowledged download (remoteReset's outcome); none otherwise.
    std::optional<Outcome> reset;
    // The check after the acknowledgement, when one was asked for.
    Verification verification = Verification::NotAsked;

    bool acknowledged() const { return write == Outcome::Done; }
};

// A password check that the device answered, on the connection that carries the read or write
// that follows. The flow judges the reply.
struct PasswordAnswer {
    TcpConnection connection;
    Gbk password;  // what was sent
    ReplyBytes reply{};
};

// How a password prompt ended: the device's reply to a password, or the outcome that ended the
// prompt without one, its message shown already: Cancelled (the user gave up), PasswordMissing
// (a script has none to give), or the failure of the one attempt a script makes.
struct PasswordReply {
    std::optional<PasswordAnswer> answer;
    Outcome ended = Outcome::Cancelled;
};

// What runs every flow: its blocking steps (with their cancel) and the messages of its outcomes.
class FlowUi : public BlockingRunner {
public:
    // A modal message box with the caption "KVT-640" showing message `textId`.
    virtual void message(std::uint32_t textId) = 0;

    // Shows the message of `outcome`, if it has one; none after the user cancelled a wait:
    // the user asked for the flow to end.
    void report(Outcome outcome) {
        if (cancelled()) return;
        if (const std::uint32_t id = messageFor(outcome)) message(id);
    }

    // A flow starts with its waits no longer cancelled.
    void clearCancel() {
        if (CancelToken* token = cancelToken()) token->reset();
    }
};

// The questions the flows ask, one small interface each; whoever runs a flow answers the ones
// that flow asks. The password and reset questions belong to several flows, hence virtual bases.

// The password dialog: repeats password attempts (attemptPasswordCheck) until one gets a reply
// or the prompt ends.
class PasswordPrompt {
public:
    virtual PasswordReply askPassword(const FlowTarget& target, ConfigKind kind) = 0;
    virtual ~PasswordPrompt() = default;
};

// The reset question; true for OK.
class ResetPrompt {
public:
    virtual bool confirmReset() = 0;
    virtual ~ResetPrompt() = default;
};

// A download's questions, and whom it tells how it ended.
class DownloadPrompt : public virtual PasswordPrompt, public virtual ResetPrompt {
public:
    // What validate() found: true downloads anyway, false goes back to the editor with nothing
    // sent. Whoever does not ask goes on.
    virtual bool confirmWarnings(const std::vector<FieldIssue>& issues) {
        (void)issues;
        return true;
    }
    // Told how every download ended, once it has.
    virtual void downloadEnded(const DownloadOutcome& outcome) { (void)outcome; }
    virtual ~DownloadPrompt() = default;
};

// Save's questions: the configuration kind chooser (nullopt on Cancel; asked by the main
// window's Save only, which may read the device and so ask its password) and the file name.
class SavePrompt : public virtual PasswordPrompt {
public:
    virtual std::optional<ConfigKind> chooseKind() = 0;
    // An empty path means cancelled.
    virtual std::string chooseSavePath() = 0;
    virtual ~SavePrompt() = default;
};

// Open's question: the file name, empty when cancelled.
class OpenPrompt {
public:
    virtual std::string chooseOpenPath() = 0;
    virtual ~OpenPrompt() = default;
};

}  // namespace kvt
