#include "gui/discovery/CAppointIpAddr.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/base/MessageBox.h"
#include "gui/base/Texts.h"
#include "gui/widgets/Ipv4Edit.h"

namespace kvt::gui {

CAppointIpAddr::CAppointIpAddr(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CAppointIpAddr"));
    setWindowTitle(uiString(101));
    auto* layout = new QVBoxLayout(this);
    m_address = new Ipv4Edit(this);
    layout->addWidget(m_address);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_ok = new QPushButton(uiString(102), this);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(uiString(103), this);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &CAppointIpAddr::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CAppointIpAddr::reject);
    // Wide enough for its caption too (the English one is longer than the product's width).
    setFixedSize(sizeHint().expandedTo(QSize(std::max(240, captionWidth(this)), 0)));
}

int CAppointIpAddr::exec() {
    m_address->clear();
    m_address->setFocus();
    return QDialog::exec();
}

void CAppointIpAddr::accept() {
    m_chosen = m_address->text().toStdString();
    QDialog::accept();
}

}  // namespace kvt::gui
