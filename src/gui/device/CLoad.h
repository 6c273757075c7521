#pragma once
// The save/download chooser shown by the editor's OK: save to a file, download to the selected
// device, or both. The session's chooser result tells the editor whether to close.
#include <QDialog>
#include <array>

class QRadioButton;

namespace kvt {
class FlowUi;
struct Session;
}  // namespace kvt

namespace kvt::gui {

class CLoad : public QDialog {
    Q_OBJECT
public:
    enum Action { Save = 0, Download = 1, SaveThenDownload = 2 };

    CLoad(Session& session, FlowUi& ui, QWidget* parent = nullptr);

    QRadioButton* radio(Action action) const { return m_radios.at(action); }
    void choose(Action action);

    void accept() override;
    void reject() override;

private:
    Action selected() const;
    // false when the file could not be written.
    bool saveInEditorMode();
    // false when no device is selected (the chooser then stays open).
    bool runDownload();

    Session& m_session;
    FlowUi& m_ui;
    std::array<QRadioButton*, 3> m_radios{};
};

}  // namespace kvt::gui
