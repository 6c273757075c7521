#pragma once
// One line under a window's list that says how the last search, download or listening ended,
// with the time of day it happened. The texts are made from the flows' outcomes. A long text
// is cut short with "…" (the whole of it in the tooltip): the line never widens its window.
#include <QLabel>
#include <QTime>
#include <cstdint>
#include <optional>

#include "core/flows/FlowUi.h"
#include "core/flows/Outcome.h"

namespace kvt::gui {

class StatusLine : public QLabel {
    Q_OBJECT
public:
    explicit StatusLine(QWidget* parent = nullptr);

    // The text without its time ("找到 2 台设备"); empty before the first.
    QString message() const { return m_message; }

    // A search that listed `rows` devices (Done), found none, or could not use `localPort`.
    void searchEnded(Outcome outcome, int rows, std::uint16_t localPort = 0);
    // A download's write, the check after it and the reset offered after that; a download that
    // was not acknowledged leaves the line as it was.
    void downloadEnded(const DownloadOutcome& outcome);
    // The report listener's table is full: `count` devices are heard but not listed.
    void devicesNotListed(std::size_t count);
    void listening(std::uint16_t port);
    void listenerStopped();
    void portBusy(std::uint16_t port);
    void cannotListen(std::uint16_t port);

    // Shows `message` stamped with `at` ("HH:MM:SS  message").
    void showMessage(const QString& message, QTime at = QTime::currentTime());

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_message;
};

}  // namespace kvt::gui
