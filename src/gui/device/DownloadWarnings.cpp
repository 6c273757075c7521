#include "gui/device/DownloadWarnings.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <utility>

#include "gui/base/MessageBox.h"
#include "gui/base/Texts.h"

namespace kvt::gui {

namespace {

// Only the user-interface thread downloads, so one plain hook suffices.
DownloadWarnings::Hook& hookSlot() {
    static DownloadWarnings::Hook hook;
    return hook;
}

}  // namespace

DownloadWarnings::DownloadWarnings(const std::vector<FieldIssue>& issues, Lang lang,
                                   QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QString::fromLatin1(MessageBox::kCaption));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("下载前请检查以下设置："), this));
    QStringList lines;
    for (const FieldIssue& issue : issues) lines << lineFor(issue, lang);
    m_list = new QLabel(lines.join(QLatin1Char('\n')), this);
    m_list->setTextFormat(Qt::PlainText);
    m_list->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_list);

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    m_download = new QPushButton(tr("继续下载"), this);
    m_back = new QPushButton(tr("返回修改"), this);
    row->addWidget(m_download);
    row->addWidget(m_back);
    layout->addLayout(row);
    m_download->setAutoDefault(false);
    m_back->setDefault(true);
    connect(m_download, &QPushButton::clicked, this, &DownloadWarnings::accept);
    connect(m_back, &QPushButton::clicked, this, &DownloadWarnings::reject);
}

QString DownloadWarnings::lineFor(const FieldIssue& issue, Lang lang) {
    return QString::fromStdString(fieldLabel(issue.field, lang)) + tr("：") +
           QString::fromStdString(issueDescription(issue, lang));
}

bool DownloadWarnings::ask(const std::vector<FieldIssue>& issues, Lang lang, QWidget* parent) {
    if (const Hook& hook = hookSlot()) return hook(issues);
    DownloadWarnings dialog(issues, lang, parent);
    return dialog.exec() == QDialog::Accepted;
}

DownloadWarnings::Hook DownloadWarnings::setHook(Hook hook) {
    return std::exchange(hookSlot(), std::move(hook));
}

}  // namespace kvt::gui
