#pragma once
// Progress window of the broadcast search: its 300 ms timer paces up to five query cycles.
// Each cycle blocks in the receive for at least 350 ms, so it runs on a worker thread while
// this window keeps painting; a tick that falls due while a cycle runs is dropped, so cycles
// never overlap.
#include <QDialog>
#include <QTimer>
#include <thread>
#include <vector>

#include "core/Session.h"
#include "core/config/Configuration.h"

class QProgressBar;
class QPushButton;

namespace kvt {
class BroadcastSearch;
}

namespace kvt::gui {

class CWait : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDone = 137;  // result when the search ends by itself
    static constexpr int kMaxCycles = 5;

    // Records of the cycle that found devices are appended to `table`.
    CWait(BroadcastSearch& search, std::vector<CEquipment>& table, QWidget* parent = nullptr);
    ~CWait() override;

    QProgressBar* progressBar() const { return m_progress; }
    int cycles() const { return m_cycles; }
    bool cycleRunning() const { return m_worker.joinable(); }

public slots:
    // Esc: the search ends once the running cycle, if any, has returned.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void tick();
    void cycleDone(std::vector<CEquipment> records);

    BroadcastSearch& m_search;
    std::vector<CEquipment>& m_table;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancel = nullptr;
    QTimer m_timer;
    int m_cycles = 0;
    bool m_cancelRequested = false;
    std::thread m_worker;
};

}  // namespace kvt::gui
