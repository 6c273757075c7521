#include "gui/device/ConfigurationFlows.h"

#include "core/Session.h"
#include "core/device/Exchanges.h"
#include "core/files/FileFlows.h"
#include "core/text/UiText.h"
#include "gui/device/CDevice.h"
#include "gui/editor/CMyPropertySheet.h"

namespace kvt::gui {

ConfigurationFlows::ConfigurationFlows(Session& session, QWidget* owner)
    : m_session(session), m_owner(owner), m_ui(owner) {}

void ConfigurationFlows::readThenEdit(int kind, std::uint32_t captionId) {
    if (!readConfiguration(m_session, kind, m_ui)) return;
    m_session.editorCaption = uiText(captionId);
    if (const CEquipment* device = m_session.selectedDevice())
        m_session.configuredModel = device->model;
    openEditor(std::to_string(kind));
}

void ConfigurationFlows::userConfiguration() {
    readThenEdit(kUserConfig, 4179);
}

void ConfigurationFlows::backgroundConfiguration() {
    readThenEdit(kBackgroundConfig, 4180);
}

void ConfigurationFlows::newConfiguration() {
    CDevice chooser(&m_session, m_owner);
    if (chooser.exec() != QDialog::Accepted) return;
    openEditor({});
}

void ConfigurationFlows::openFile() {
    if (openConfigurationFile(m_session, m_ui)) openEditor({});
}

void ConfigurationFlows::saveFile() {
    saveConfigurationFile(m_session, m_ui);
}

void ConfigurationFlows::openEditor(const std::string& kindText) {
    m_session.ensureConfiguration();
    if (kindText == "0") m_session.configKind = kUserConfig;
    if (kindText == "1") m_session.configKind = kBackgroundConfig;
    CMyPropertySheet sheet(m_session, m_ui, m_owner);
    sheet.exec();
}

}  // namespace kvt::gui
