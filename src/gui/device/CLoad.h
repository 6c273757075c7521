#pragma once
// The save/download chooser shown by the editor's OK: save to a file, download to the selected
// device, or both. editorMayClose() tells the editor whether to close.
#include <QDialog>
#include <array>
#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QRadioButton;

namespace kvt {
struct FieldDifference;
struct Session;
}  // namespace kvt

namespace kvt::gui {

class GuiFlowUi;

class CLoad : public QDialog {
    Q_OBJECT
public:
    enum Action { Save = 0, Download = 1, SaveThenDownload = 2 };

    CLoad(Session& session, GuiFlowUi& ui, QWidget* parent = nullptr);

    QRadioButton* radio(Action action) const { return m_radios.at(action); }
    // "写入后校验": read the configuration back after an acknowledged download and compare.
    QCheckBox* verifyBox() const { return m_verify; }
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
    // One box listing the fields the read-back differs in, with the pages' labels and value
    // texts; none when it is equal.
    void showDifferences(const std::vector<FieldDifference>& differences);

    Session& m_session;
    GuiFlowUi& m_ui;
    std::array<QRadioButton*, 3> m_radios{};
    QCheckBox* m_verify = nullptr;
    bool m_editorMayClose = false;
};

// The editor's OK: the chooser over `sheet`; true when the editor may close.
std::function<bool(QWidget* sheet)> saveOrDownload(Session& session, GuiFlowUi& ui);

}  // namespace kvt::gui
