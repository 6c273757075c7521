#include "gui/device/CRemoteReset.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/base/TextInput.h"

namespace kvt::gui {

CRemoteReset::CRemoteReset(QWidget* parent) : QDialog(parent) {
    setWindowTitle(uiString(15001));
    setMinimumWidth(280);
    auto* layout = new QVBoxLayout(this);
    auto* question = new QLabel(uiString(15002), this);
    question->setMinimumWidth(220);
    layout->addWidget(question);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    m_ok = new QPushButton(uiString(15003), this);
    m_cancel = new QPushButton(uiString(15004), this);
    row->addWidget(m_ok);
    row->addWidget(m_cancel);
    layout->addLayout(row);
    // A stray Enter must not reset a device: Cancel is the default button.
    m_ok->setAutoDefault(false);
    m_cancel->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &CRemoteReset::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CRemoteReset::reject);
}

}  // namespace kvt::gui
