#pragma once
// The desktop tool's answers to the core flows: message boxes, the password dialog, the reset
// question, the kind chooser, the file dialogs and the busy runner.
#include <QString>

#include "core/flows/FlowUi.h"
#include "core/net/Socket.h"
#include "core/text/UiText.h"

namespace kvt {
struct Session;
}

class QWidget;

namespace kvt::gui {

class StatusLine;

// What the busy window says while `step` lasts.
QString busyText(const BlockingStep& step);

class GuiFlowUi : public FlowUi, public DownloadPrompt, public SavePrompt, public OpenPrompt {
public:
    // `owner` parents the dialogs when no modal dialog is open (the main window).
    explicit GuiFlowUi(QWidget* owner) : m_owner(owner) {}

    void message(std::uint32_t textId) override;
    PasswordReply askPassword(const FlowTarget& target, ConfigKind kind) override;
    bool confirmWarnings(const std::vector<FieldIssue>& issues) override;
    bool confirmReset() override;
    std::optional<ConfigKind> chooseKind() override;
    std::string chooseSavePath() override;
    std::string chooseOpenPath() override;
    // A step that lasts shows the busy window, whose Cancel cancels the token.
    void runBlocking(const BlockingStep& step, const std::function<void()>& work) override;
    CancelToken* cancelToken() override { return &m_cancel; }
    void downloadEnded(const DownloadOutcome& outcome) override;

    // Where downloads are told; none by default.
    void setStatusLine(StatusLine* line) { m_status = line; }
    StatusLine* statusLine() const { return m_status; }
    // Whose selected device the windows of a flow name in their captions.
    void setSession(const Session* session) { m_session = session; }

private:
    // The dialog on top: new dialogs stack on it.
    QWidget* parentWidget() const;

    QWidget* m_owner;
    StatusLine* m_status = nullptr;
    const Session* m_session = nullptr;
    CancelToken m_cancel;
};

}  // namespace kvt::gui
