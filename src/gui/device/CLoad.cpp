#include "gui/device/CLoad.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/Session.h"
#include "core/device/Exchanges.h"
#include "core/files/FileFlows.h"
#include "gui/app/MessageBox.h"
#include "gui/editor/TextInput.h"

namespace kvt::gui {

namespace {
constexpr std::uint32_t kMsgNoDeviceSelected = 4311;
}

CLoad::CLoad(Session& session, FlowUi& ui, QWidget* parent)
    : QDialog(parent), m_session(session), m_ui(ui) {
    setWindowTitle(QStringLiteral("KVT-640"));
    setMinimumWidth(300);
    auto* layout = new QVBoxLayout(this);
    auto* group = new QButtonGroup(this);
    const QString captions[] = {tr("保存"), tr("下载"), tr("下载并保存")};
    auto* radios = new QHBoxLayout;
    radios->setSpacing(16);
    for (std::size_t i = 0; i < m_radios.size(); ++i) {
        m_radios[i] = new QRadioButton(captions[i], this);
        group->addButton(m_radios[i], static_cast<int>(i));
        radios->addWidget(m_radios[i]);
    }
    layout->addLayout(radios);
    m_radios[Save]->setChecked(true);
    // Without a selected device only Save is possible.
    if (m_session.selectedIndexForLoad < 0) {
        m_radios[Download]->setEnabled(false);
        m_radios[SaveThenDownload]->setEnabled(false);
    }
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* ok = new QPushButton(tr("确定"), this);
    auto* cancel = new QPushButton(tr("取消"), this);
    ok->setDefault(true);
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(ok, &QPushButton::clicked, this, &CLoad::accept);
    connect(cancel, &QPushButton::clicked, this, &CLoad::reject);
}

void CLoad::choose(Action action) {
    m_radios.at(action)->setChecked(true);
}

CLoad::Action CLoad::selected() const {
    if (m_radios[Download]->isChecked()) return Download;
    if (m_radios[SaveThenDownload]->isChecked()) return SaveThenDownload;
    return Save;
}

bool CLoad::saveInEditorMode() {
    // Editor mode: no kind question and no device read, the edited configuration as it is.
    m_session.saveFromPrompt = true;
    return saveConfigurationFile(m_session, m_ui) != SaveOutcome::WriteFailed;
}

bool CLoad::runDownload() {
    if (m_session.selectedIndexForLoad < 0) {
        MessageBox::show(this, kMsgNoDeviceSelected, MessageBox::Buttons::Ok,
                         MessageBox::Icon::Warning);
        return false;
    }
    download(m_session, m_ui);
    return true;
}

void CLoad::accept() {
    m_session.selectedIndexForSave = -1;
    switch (selected()) {
        case Save:
            // The editor closes after a save, also when the file dialog was cancelled; but not
            // after a failed write, which would lose the edits with nothing on disk.
            m_session.chooserResult = saveInEditorMode();
            break;
        case Download:
            if (!runDownload()) return;
            break;
        case SaveThenDownload:
            saveInEditorMode();
            if (!runDownload()) return;
            break;
    }
    QDialog::accept();
}

void CLoad::reject() {
    m_session.chooserResult = false;
    QDialog::reject();
}

}  // namespace kvt::gui
