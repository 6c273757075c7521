#pragma once
// The desktop tool's answers to the core flows: message boxes, the password dialog, the reset
// question, the kind chooser, the file dialogs and the busy runner.
#include "core/flows/FlowUi.h"
#include "core/text/UiText.h"

class QWidget;

namespace kvt::gui {

class GuiFlowUi : public FlowUi {
public:
    // `owner` parents the dialogs when no modal dialog is open (the main window).
    explicit GuiFlowUi(QWidget* owner) : m_owner(owner) {}

    void message(std::uint32_t textId) override;
    std::optional<PasswordAnswer> askPassword(const Session& session, ConfigKind kind) override;
    bool confirmWarnings(const std::vector<FieldIssue>& issues) override;
    bool confirmReset() override;
    std::optional<ConfigKind> chooseKind() override;
    std::string chooseSavePath() override;
    std::string chooseOpenPath() override;
    void runBlocking(const std::function<void()>& work) override;

private:
    // The dialog on top: new dialogs stack on it.
    QWidget* parentWidget() const;

    QWidget* m_owner;
};

}  // namespace kvt::gui
