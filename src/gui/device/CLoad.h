#pragma once
// The save/download chooser shown by the editor's OK: save to a file, download to the selected
// device, or both. editorMayClose() tells the editor whether to close.
#include <QDialog>
#include <array>
#include <optional>

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

    // After the chooser closed: the file was saved (or its dialog cancelled), or the device
    // acknowledged the download.
    bool editorMayClose() const { return m_editorMayClose; }

    void accept() override;
    void reject() override;

private:
    Action selected() const;
    // false when the file could not be written.
    bool saveInEditorMode();
    // nullopt when no device is selected (the chooser then stays open); else whether the
    // device acknowledged.
    std::optional<bool> runDownload();

    Session& m_session;
    FlowUi& m_ui;
    std::array<QRadioButton*, 3> m_radios{};
    bool m_editorMayClose = false;
};

}  // namespace kvt::gui
