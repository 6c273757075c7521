#include "gui/discovery/CWait.h"

#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "core/discovery/Search.h"
#include "gui/base/Texts.h"

namespace kvt::gui {

CWait::CWait(const NetworkOptions& options, std::vector<CEquipment>& table, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_options(options), m_table(table) {
    setObjectName(QStringLiteral("CWait"));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(216, 219, 220));
    setPalette(palette);
    setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    layout->addWidget(m_progress);
    // The hidden Cancel gives Esc its meaning, as in the dialog template.
    m_cancel = new QPushButton(this);
    m_cancel->setVisible(false);
    connect(m_cancel, &QPushButton::clicked, this, &CWait::reject);
    setFixedSize(320, 48);
}

CWait::~CWait() {
    // Only reached early if the window goes away while searching: stop after the cycle.
    m_cancelFlag = true;
    if (m_worker.joinable()) m_worker.join();
}

void CWait::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_started) return;
    m_started = true;
    m_progress->setValue(0);
    setWindowTitle(uiString(8006));
    m_worker = std::thread([this] {
        std::vector<CEquipment> records;
        SearchSetup setup = SearchSetup::Ready;
        try {
            records = runBroadcastSearch(
                m_options, &m_cancelFlag,
                [this](int bar) {
                    QMetaObject::invokeMethod(
                        this, [this, bar] { m_progress->setValue(bar); }, Qt::QueuedConnection);
                },
                nullptr, &setup);
        } catch (...) {
            // A search that could not run ends like a silent one: the window still closes.
            records.clear();
            setup = SearchSetup::Failed;
        }
        QMetaObject::invokeMethod(
            this,
            [this, setup, records = std::move(records)]() mutable {
                searchDone(std::move(records), setup);
            },
            Qt::QueuedConnection);
    });
}

void CWait::searchDone(std::vector<CEquipment> records, SearchSetup setup) {
    if (m_worker.joinable()) m_worker.join();
    m_setup = setup;
    m_table.insert(m_table.end(), std::make_move_iterator(records.begin()),
                   std::make_move_iterator(records.end()));
    if (m_cancelRequested) {
        QDialog::reject();
        return;
    }
    done(kDone);
}

void CWait::reject() {
    if (m_worker.joinable()) {
        m_cancelRequested = true;
        m_cancelFlag = true;
        return;
    }
    QDialog::reject();
}

}  // namespace kvt::gui
