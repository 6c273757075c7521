#include "gui/device/CDevice.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/base/Session.h"
#include "gui/base/TextInput.h"

namespace kvt::gui {

CDevice::CDevice(Session* session, QWidget* parent) : QDialog(parent), m_session(session) {
    setWindowTitle(tr("选择设备"));
    setMinimumWidth(300);
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(tr("参数配置方式："), this));
    m_kind = new QComboBox(this);
    m_kind->addItem(uiString(170));
    m_kind->addItem(uiString(171));
    m_kind->setCurrentIndex(0);
    m_kind->setMinimumWidth(140);
    row->addWidget(m_kind, 1);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("确定"), QDialogButtonBox::AcceptRole);
    buttons->addButton(tr("取消"), QDialogButtonBox::RejectRole);
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
