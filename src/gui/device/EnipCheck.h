#pragma once
// EtherNet/IP in the desktop tool: the check after a reset that follows the device to its new
// address and says on the status line how it answers, and the small window of the device
// list's "EtherNet/IP 检查". The checks run on a worker thread of their own; the results come
// back to the user-interface thread.
#include <QDialog>
#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>

#include "core/config/Configuration.h"
#include "core/enip/EnipClient.h"
#include "core/net/NetworkOptions.h"
#include "core/net/Socket.h"
#include "gui/base/Session.h"

class QLabel;
class QTableWidget;

namespace kvt::gui {

class StatusLine;

// Runs one check off the user-interface thread and hands its result back there. Destroying it
// cancels the check and waits for the worker (a moment).
class EnipCheckRunner : public QObject {
    Q_OBJECT
public:
    explicit EnipCheckRunner(QObject* parent = nullptr) : QObject(parent) {}
    ~EnipCheckRunner() override;

    // `configuration` null: sizes are reported, not compared.
    void start(enip::Target target, std::optional<CConfiguration> configuration,
               std::chrono::milliseconds waitLimit);

signals:
    void finished(const kvt::enip::EnipCheck& check);

private:
    std::thread m_worker;
    CancelToken m_cancel;
};

// The status line's text for a finished check at `address`.
QString enipStatusText(const enip::EnipCheck& check, std::chrono::seconds waited);

// After an acknowledged download whose reset went through with "写入后校验" ticked: waits
// (bounded) for the device on EtherNet/IP where the written configuration puts it and shows
// the outcome on `line`, without a box. The runner is the line's child.
void followDeviceOnEnip(StatusLine* line, const NetworkOptions& network,
                        const std::string& oldAddress, const CConfiguration& written,
                        ConfigKind kind);

// The device list's "EtherNet/IP 检查": identity and the size table of the device at
// `address`; the sizes are reported as the device gives them.
class EnipCheckWindow : public QDialog {
    Q_OBJECT
public:
    EnipCheckWindow(const NetworkOptions& network, const QString& address,
                    QWidget* parent = nullptr);
    QLabel* summary() const { return m_summary; }
    QTableWidget* table() const { return m_table; }

private:
    void showResult(const enip::EnipCheck& check);

    QLabel* m_summary = nullptr;
    QLabel* m_identity = nullptr;
    QTableWidget* m_table = nullptr;
    EnipCheckRunner* m_runner = nullptr;
};

// The device list's context menu with "EtherNet/IP 检查": a right click selects the row under
// it (through `select`, as a click does) and the entry opens the window for that device.
void addEnipCheckMenu(QTableWidget* list, const Session& session,
                      const std::function<void(int)>& select);

}  // namespace kvt::gui

Q_DECLARE_METATYPE(kvt::enip::EnipCheck)
