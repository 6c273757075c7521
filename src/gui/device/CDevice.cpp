#include "gui/device/CDevice.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Session.h"
#include "core/text/UiText.h"
#include "gui/editor/TextInput.h"

namespace kvt::gui {

CDevice::CDevice(Session* session, QWidget* parent, Lang lang)
    : QDialog(parent), m_session(session) {
    if (session) lang = session->lang;
    setWindowTitle(langText(lang, "选择设备", "Select Device"));
    setMinimumWidth(300);
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(langText(lang, "参数配置方式：", "Configuration mode:"), this));
    m_kind = new QComboBox(this);
    m_kind->addItem(fromGbk(uiText(170)));
    m_kind->addItem(fromGbk(uiText(171)));
    m_kind->setCurrentIndex(0);
    m_kind->setMinimumWidth(140);
    row->addWidget(m_kind, 1);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(langText(lang, "确定", "OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(langText(lang, "取消", "Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDevice::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDevice::reject);
    layout->addWidget(buttons);
}

ConfigKind CDevice::selectedKind() const {
    return m_kind->currentIndex() == 1 ? kBackgroundConfig : kUserConfig;
}

void CDevice::accept() {
    if (m_session) m_session->newFill(selectedKind());
    QDialog::accept();
}

}  // namespace kvt::gui
