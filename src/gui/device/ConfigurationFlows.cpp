#include "gui/device/ConfigurationFlows.h"

#include "core/flows/DeviceFlows.h"
#include "core/flows/FileFlows.h"
#include "gui/base/Session.h"
#include "gui/device/CDevice.h"
#include "gui/device/CLoad.h"
#include "gui/editor/CMyPropertySheet.h"
#include "gui/widgets/StatusLine.h"

namespace kvt::gui {

ConfigurationFlows::ConfigurationFlows(Session& session, QWidget* owner)
    : m_session(session), m_owner(owner), m_ui(owner) {
    // The main window's status line tells how downloads ended.
    if (owner) m_ui.setStatusLine(owner->findChild<StatusLine*>());
    m_ui.setSession(&m_session);
}

void ConfigurationFlows::readThenEdit(ConfigKind kind) {
    // The read has shown its message when it fails; on success the configuration carries the
    // read's kind and caption.
    if (readConfiguration(m_session.target(), kind, m_session, m_ui, m_ui) == Outcome::Done)
        openEditor();
}

void ConfigurationFlows::userConfiguration() {
    readThenEdit(kUserConfig);
}

void ConfigurationFlows::backgroundConfiguration() {
    readThenEdit(kBackgroundConfig);
}

void ConfigurationFlows::newConfiguration() {
    CDevice chooser(&m_session, m_owner);
    if (chooser.exec() != QDialog::Accepted) return;
    openEditor();
}

void ConfigurationFlows::openFile() {
    if (openConfigurationFile(m_session.target(), m_session, m_session.lang, m_ui, m_ui) ==
        Outcome::Done)
        openEditor();
}

void ConfigurationFlows::saveFile() {
    saveConfigurationFile(m_session.target(), m_session, m_session.lang, m_ui, m_ui,
                          SaveFrom::MainWindow);
}

void ConfigurationFlows::openEditor() {
    m_session.ensureConfiguration();
    CMyPropertySheet sheet(m_session, m_ui, m_ui, saveOrDownload(m_session, m_ui), m_owner);
    sheet.exec();
}

}  // namespace kvt::gui
