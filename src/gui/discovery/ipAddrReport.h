#pragma once
// IP address report listener window: listens on one UDP port and lists every reporting device
// with its report count and the times of its last two reports. The receiving runs on the
// listener's own thread, which only marks the rows it changed; this window shows the marked
// rows from its refresh timer, so that a flood of reports cannot swamp its event loop.
#include <QDialog>
#include <QTimer>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "core/config/Rules.h"
#include "core/discovery/ReportTable.h"
#include "gui/base/Session.h"

class QAction;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kvt {
class ReportListener;
}

namespace kvt::gui {

class StatusLine;

class ipAddrReport : public QDialog {
    Q_OBJECT
public:
    static constexpr std::uint16_t kDefaultPort = kDefaultReportPort;
    // Changed rows are shown at most this often: often enough to look live.
    static constexpr int kRefreshMs = 100;

    explicit ipAddrReport(Session& session, QWidget* parent = nullptr);
    ~ipAddrReport() override;

    QLineEdit* portEdit() const { return m_port; }
    QPushButton* startButton() const { return m_start; }
    QPushButton* stopButton() const { return m_stop; }
    QTableWidget* reportList() const { return m_list; }
    QAction* exportAction() const { return m_export; }
    // The listener's state: listening on which port, stopped, or why it could not start.
    StatusLine* statusLine() const { return m_status; }
    std::uint16_t listenPort() const { return m_listenPort; }
    bool listening() const;
    // Datagrams the running (or last) listening has taken in; may be asked from any thread.
    std::size_t datagramsReceived() const;

    // The input check of the port edit (run when it loses the focus). Returns whether the
    // text was a valid port; otherwise the message is shown and the edit shows the port again.
    bool checkPort();

public slots:
    void startListening();
    void stopListening();
    // Writes the report table to a .csv file the user chooses.
    void exportReports();
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setIdle(bool idle);
    void showRow(std::size_t index, const ReportRecord& record);
    void showChangedRows();
    void listenerStopped();
    void shutDown();

    Session& m_session;
    QLineEdit* m_port = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_stop = nullptr;
    QTableWidget* m_list = nullptr;
    QAction* m_export = nullptr;
    StatusLine* m_status = nullptr;
    bool m_wasListening = false;  // a start succeeded and its stop has not been shown yet
    std::uint16_t m_listenPort = kDefaultPort;
    bool m_checking = false;
    std::unique_ptr<ReportListener> m_listener;
    QTimer m_refresh;
    // Set on the listener thread for each row it changed, taken back by showChangedRows().
    std::array<std::atomic<bool>, ReportTable::kCapacity> m_changed{};
    std::size_t m_notListed = 0;  // as last said on the status line
    std::atomic<bool> m_anyChanged{false};
};

}  // namespace kvt::gui
