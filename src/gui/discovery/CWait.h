#pragma once
// Progress window of the broadcast search. The search itself (its pacing, up to five queries,
// the end after the first query that found devices) is the core's runBroadcastSearch, run on a
// worker thread so that this window keeps painting; its progress and its end come back to
// this window's thread as queued calls.
#include <QDialog>
#include <atomic>
#include <thread>
#include <vector>

#include "core/config/Configuration.h"
#include "core/discovery/Search.h"
#include "gui/base/Session.h"

class QProgressBar;
class QPushButton;

namespace kvt::gui {

class CWait : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDone = 137;  // result when the search ends by itself

    // The records the search finds are appended to `table`.
    CWait(const NetworkOptions& options, std::vector<CEquipment>& table, QWidget* parent = nullptr);
    ~CWait() override;

    QProgressBar* progressBar() const { return m_progress; }
    // The search has started and its worker has not come back yet.
    bool searching() const { return m_worker.joinable(); }
    // Whether the search could bind its local port; known once the window has closed.
    SearchSetup setup() const { return m_setup; }

public slots:
    // Esc: the search ends once the running query cycle, if any, has returned.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void searchDone(std::vector<CEquipment> records, SearchSetup setup);

    const NetworkOptions m_options;
    std::vector<CEquipment>& m_table;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancel = nullptr;
    SearchSetup m_setup = SearchSetup::Ready;
    bool m_started = false;
    bool m_cancelRequested = false;
    std::atomic<bool> m_cancelFlag{false};  // read by the worker between cycles
    std::thread m_worker;
};

}  // namespace kvt::gui
