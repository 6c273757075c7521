#pragma once
// What a flow needs from whoever drives it: the desktop tool answers with dialogs, the CLI
// with its arguments. The flows themselves (read, password check, download, reset, save,
// open, searches) live in the core and decide everything else.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/config/Configuration.h"
#include "core/config/Validate.h"
#include "core/device/Exchange.h"
#include "core/flows/Outcome.h"
#include "core/text/Gbk.h"

namespace kvt {

struct Session;

// How the read-back after an acknowledged download ended.
enum class Verification {
    NotAsked,
    Verified,    // the device holds what was written
    Differs,     // it holds something else
    ReadFailed,  // it could not be read back
};

struct DownloadOutcome {
    // Done once the device has acknowledged the image; else DownloadNoDevice,
    // NoConfiguration, LegacyDownload, WarningsDeclined, Cancelled (password dialog),
    // PasswordConnectFailed,
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

class FlowUi : public BlockingRunner {
public:
    // A modal message box with the caption "KVT-640" showing message `textId`.
    virtual void message(std::uint32_t textId) = 0;

    // The password dialog: repeats password attempts (attemptPasswordCheck) until one gets a
    // reply; nullopt when the user gives up.
    virtual std::optional<PasswordAnswer> askPassword(const Session& session, ConfigKind kind) = 0;

    // Before a download, what validate() found: true downloads anyway, false goes back to the
    // editor with nothing sent. Whoever does not ask goes on.
    virtual bool confirmWarnings(const std::vector<FieldIssue>& issues) {
        (void)issues;
        return true;
    }

    // The reset question; true for OK.
    virtual bool confirmReset() = 0;

    // The configuration-kind chooser; nullopt on Cancel.
    virtual std::optional<ConfigKind> chooseKind() = 0;

    // File dialogs; an empty path means cancelled.
    virtual std::string chooseSavePath() = 0;
    virtual std::string chooseOpenPath() = 0;

    // Told how every download ended, once it has.
    virtual void downloadEnded(const DownloadOutcome& outcome) { (void)outcome; }

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

}  // namespace kvt
