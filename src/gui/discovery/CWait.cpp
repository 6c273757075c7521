#include "gui/discovery/CWait.h"

#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "core/discovery/Search.h"
#include "gui/app/Texts.h"

namespace kvt::gui {

CWait::CWait(BroadcastSearch& search, std::vector<CEquipment>& table, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_search(search), m_table(table) {
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

    m_timer.setInterval(BroadcastSearch::kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &CWait::tick);
}

CWait::~CWait() {
    if (m_worker.joinable()) m_worker.join();
}

void CWait::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_timer.isActive() || m_cycles != 0) return;
    m_cycles = 0;
    m_cancelRequested = false;
    m_progress->setValue(0);
    setWindowTitle(uiString(8006));
    m_timer.start();
}

void CWait::tick() {
    if (m_worker.joinable()) return;  // the running cycle has not come back: merge the tick
    ++m_cycles;
    if (m_cycles > kMaxCycles) {
        m_timer.stop();
        done(kDone);
        return;
    }
    // The query goes out at the start of the cycle; the bar counts queries.
    m_progress->setValue(std::min(100, m_progress->value() + 20));
    m_worker = std::thread([this] {
        std::vector<CEquipment> records;
        try {
            records = m_search.runCycle();
        } catch (...) {
            // A cycle that could not run counts as one without replies: the window still
            // comes back and the search ends normally.
            records.clear();
        }
        QMetaObject::invokeMethod(
            this, [this, records = std::move(records)]() mutable { cycleDone(std::move(records)); },
            Qt::QueuedConnection);
    });
}

void CWait::cycleDone(std::vector<CEquipment> records) {
    if (m_worker.joinable()) m_worker.join();
    // The bar counts queries that went out: a cycle whose send failed takes its step back.
    if (!m_search.lastQuerySent()) m_progress->setValue(std::max(0, m_progress->value() - 20));
    m_table.insert(m_table.end(), std::make_move_iterator(records.begin()),
                   std::make_move_iterator(records.end()));
    if (m_cancelRequested) {
        m_timer.stop();
        QDialog::reject();
        return;
    }
    if (!m_table.empty()) {
        m_timer.stop();
        done(kDone);
    }
}

void CWait::reject() {
    if (m_worker.joinable()) {
        m_cancelRequested = true;
        return;
    }
    m_timer.stop();
    QDialog::reject();
}

}  // namespace kvt::gui
