#pragma once
// What a flow needs from whoever drives it: the desktop tool answers with dialogs, the CLI
// with its arguments. The flows themselves (read, password check, download, reset, save,
// open) live in the core and decide everything else.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/config/Validate.h"
#include "core/net/Socket.h"

namespace kvt {

struct Session;

class FlowUi {
public:
    virtual ~FlowUi() = default;

    // A modal message box with the caption "KVT-640" showing UI text `textId`.
    virtual void message(std::uint32_t textId) = 0;

    // The password dialog: repeats password attempts (attemptPasswordCheck) until one gets a
    // reply, then returns its open connection; nullopt when the user gives up.
    virtual std::optional<TcpConnection> askPassword(Session& session, int kind) = 0;

    // Before a download, what validate() found: true downloads anyway, false goes back to the
    // editor with nothing sent. Whoever does not ask goes on.
    virtual bool confirmWarnings(const std::vector<FieldIssue>& issues) {
        (void)issues;
        return true;
    }

    // The reset question; true for OK.
    virtual bool confirmReset() = 0;

    // The configuration-kind chooser; nullopt on Cancel, else 0 (user) or 1 (background).
    virtual std::optional<int> chooseKind() = 0;

    // File dialogs; an empty path means cancelled.
    virtual std::string chooseSavePath() = 0;
    virtual std::string chooseOpenPath() = 0;

    // Runs blocking network work. The desktop tool runs it off the user-interface thread and
    // keeps the window painted and busy meanwhile; the default runs it in place.
    virtual void runBlocking(const std::function<void()>& work) { work(); }
};

}  // namespace kvt
