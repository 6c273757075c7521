#pragma once
// Runs blocking network work without freezing the window: the work runs on a worker thread
// while the caller's thread keeps painting and running timers, user input is held back and the
// cursor shows that the tool is busy. Returns when the work is done; an exception thrown by
// the work is rethrown here.
#include <QDialog>
#include <QString>
#include <functional>

class QLabel;
class QPushButton;
class QWidget;

namespace kvt {
class CancelToken;
}

namespace kvt::gui {

// A wait that lasts shows this window after kBusyWindowDelayMs: what is waited for, the device
// in the caption, and Cancel, which cancels the wait's token. The window closes when the work
// has ended, never before: the work must not outlive the call.
class BusyWindow : public QDialog {
    Q_OBJECT
public:
    BusyWindow(const QString& text, const QString& device, CancelToken* cancel,
               QWidget* parent = nullptr);

    QLabel* textLabel() const { return m_text; }
    QPushButton* cancelButton() const { return m_cancelButton; }

    // Esc and the window's close button cancel as Cancel does.
    void reject() override;

private:
    CancelToken* m_cancel;
    QLabel* m_text;
    QPushButton* m_cancelButton;
};

// Short steps end before the window would show, so that they do not flicker.
inline constexpr int kBusyWindowDelayMs = 500;

struct BusyWait {
    QString text;    // what is waited for ("正在读取配置…")
    QString device;  // the device's address
    CancelToken* cancel = nullptr;
};

void runBusy(QWidget* owner, const std::function<void()>& work);
// The same, with the busy window once the work has run kBusyWindowDelayMs.
void runBusy(QWidget* owner, const std::function<void()>& work, const BusyWait& wait);

}  // namespace kvt::gui
