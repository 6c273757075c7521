#include "gui/app/CAboutDlg.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "gui/base/Texts.h"

namespace kvt::gui {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CAboutDlg"));
    setWindowTitle(uiString(1));
    auto* layout = new QGridLayout(this);
    auto* icon = new QLabel(this);
    const QIcon windowIcon = parent ? parent->windowIcon() : QApplication::windowIcon();
    icon->setPixmap(windowIcon.isNull()
                        ? style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32)
                        : windowIcon.pixmap(32, 32));
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    m_version = new QLabel(uiString(2), this);
    m_maker = new QLabel(uiString(3), this);
    layout->addWidget(m_version, 0, 1);
    layout->addWidget(m_maker, 1, 1);
    m_ok = new QPushButton(uiString(4), this);
    m_ok->setDefault(true);
    layout->addWidget(m_ok, 0, 2, Qt::AlignTop);
    layout->setHorizontalSpacing(16);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(sizeHint().expandedTo(QSize(340, 90)));
}

}  // namespace kvt::gui
