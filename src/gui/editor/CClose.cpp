#include "gui/editor/CClose.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/flows/FileFlows.h"
#include "gui/base/Session.h"
#include "gui/base/TextInput.h"

namespace kvt::gui {

CClose::CClose(Session& session, FlowUi& ui, SavePrompt& prompt, QWidget* parent)
    : QDialog(parent), m_session(session), m_ui(ui), m_prompt(prompt) {
    setWindowTitle(tr("提示"));
    setMinimumWidth(280);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("配置已更改，是否保存配置？"), this));
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    m_yes = new QPushButton(tr("是(&Y)"), this);
    m_no = new QPushButton(tr("否(&N)"), this);
    m_yes->setDefault(true);
    row->addWidget(m_yes);
    row->addWidget(m_no);
    layout->addLayout(row);
    connect(m_yes, &QPushButton::clicked, this, &CClose::accept);
    connect(m_no, &QPushButton::clicked, this, &CClose::reject);
}

void CClose::accept() {
    // Editor mode: the configuration as edited, no kind question, no device read. A failed
    // write has been reported; the prompt stays so that Yes can try another file and the
    // edits are not thrown away with nothing on disk.
    if (saveConfigurationFile(m_session.target(), m_session, m_session.lang, m_ui, m_prompt,
                              SaveFrom::Editor) == Outcome::SaveFailed)
        return;
    m_session.dropConfiguration();
    QDialog::accept();
}

void CClose::reject() {
    m_session.dropConfiguration();
    QDialog::reject();
}

}  // namespace kvt::gui
