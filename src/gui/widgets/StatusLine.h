#pragma once
// One line under a window's list that says how the last search, download or listening ended,
// with the time of day it happened. The texts are made from the flows' outcomes.
#include <QLabel>
#include <QTime>
#include <cstdint>
#include <optional>

#include "core/flows/Outcome.h"

namespace kvt::gui {

class StatusLine : public QLabel {
    Q_OBJECT
public:
    explicit StatusLine(QWidget* parent = nullptr);

    // The text without its time ("找到 2 台设备"); empty before the first.
    QString message() const { return m_message; }

    // A search that listed `rows` devices (Done), or found none.
    void searchEnded(Outcome outcome, int rows);
    // A download's write and the reset offered after it; a download that was not acknowledged
    // leaves the line as it was.
    void downloadEnded(Outcome write, std::optional<Outcome> reset);
    void listening(std::uint16_t port);
    void listenerStopped();
    void portBusy(std::uint16_t port);
    void cannotListen(std::uint16_t port);

    // Shows `message` stamped with `at` ("HH:MM:SS  message").
    void showMessage(const QString& message, QTime at = QTime::currentTime());

private:
    QString m_message;
};

}  // namespace kvt::gui
