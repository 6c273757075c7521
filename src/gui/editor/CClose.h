#pragma once
// The save-changes prompt of the editor ("配置已更改，是否保存配置？"). Either answer drops the
// current configuration; Yes saves it to a file first.
#include <QDialog>

class QPushButton;

namespace kvt {
class FlowUi;
class SavePrompt;
struct Session;
}  // namespace kvt

namespace kvt::gui {

class CClose : public QDialog {
    Q_OBJECT
public:
    CClose(Session& session, FlowUi& ui, SavePrompt& prompt, QWidget* parent = nullptr);

    QPushButton* yesButton() const { return m_yes; }
    QPushButton* noButton() const { return m_no; }

    void accept() override;
    void reject() override;

private:
    Session& m_session;
    FlowUi& m_ui;
    SavePrompt& m_prompt;
    QPushButton* m_yes;
    QPushButton* m_no;
};

}  // namespace kvt::gui
