#pragma once
// The main window's configuration buttons: read the selected device's user or background
// configuration, New, Open and Save, each ending in the editor or a file.
#include "gui/device/ConfigurationActions.h"
#include "gui/device/GuiFlowUi.h"

class QWidget;

namespace kvt {
struct Session;
}

namespace kvt::gui {

class ConfigurationFlows : public ConfigurationActions {
public:
    ConfigurationFlows(Session& session, QWidget* owner);

    void userConfiguration() override;
    void backgroundConfiguration() override;
    void newConfiguration() override;
    void openFile() override;
    void saveFile() override;

    // Opens the editor on the current configuration, whose kind decides the tabs.
    void openEditor();

    GuiFlowUi& ui() { return m_ui; }

private:
    void readThenEdit(ConfigKind kind);

    Session& m_session;
    QWidget* m_owner;
    GuiFlowUi m_ui;
};

}  // namespace kvt::gui
