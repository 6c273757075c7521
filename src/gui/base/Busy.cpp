#include "gui/base/Busy.h"

#include <QApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <exception>
#include <optional>
#include <thread>

#include "core/net/Socket.h"
#include "gui/base/MessageBox.h"

namespace kvt::gui {

BusyWindow::BusyWindow(const QString& text, const QString& device, CancelToken* cancel,
                       QWidget* parent)
    : QDialog(parent), m_cancel(cancel) {
    setObjectName(QStringLiteral("BusyWindow"));
    setWindowTitle(device.isEmpty() ? QStringLiteral("KVT-640")
                                    : QStringLiteral("KVT-640 - %1").arg(device));
    fitCaption(this);
    auto* layout = new QVBoxLayout(this);
    m_text = new QLabel(text, this);
    m_text->setMinimumWidth(240);
    layout->addWidget(m_text);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    m_cancelButton = new QPushButton(tr("取消"), this);
    m_cancelButton->setAutoDefault(false);
    row->addWidget(m_cancelButton);
    layout->addLayout(row);
    connect(m_cancelButton, &QPushButton::clicked, this, &BusyWindow::reject);
}

void BusyWindow::reject() {
    // The work ends at once and closes the window; closing it here would leave the work
    // running with nothing to show for it.
    if (m_cancel) m_cancel->cancel();
    m_cancelButton->setEnabled(false);
}

namespace {

void run(QWidget* owner, const std::function<void()>& work, const BusyWait* wait) {
    QEventLoop loop;
    // Lives on this thread: what the worker posts to it runs here, in whichever loop runs.
    QObject context;
    bool finished = false;
    QPointer<BusyWindow> shown;
    std::exception_ptr error;
    QPointer<QWidget> window = owner ? owner->window() : nullptr;
    if (window) window->setCursor(Qt::BusyCursor);
    QApplication::setOverrideCursor(Qt::BusyCursor);

    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        // Posted to this thread; if it arrives before a loop starts it still ends it.
        QMetaObject::invokeMethod(
            &context,
            [&] {
                finished = true;
                loop.quit();
                if (shown) shown->done(QDialog::Accepted);
            },
            Qt::QueuedConnection);
    });
    if (wait) QTimer::singleShot(kBusyWindowDelayMs, &context, [&] { loop.quit(); });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!finished) {
        // Modal: the other windows take no input but keep painting, and the window manager
        // still moves them.
        BusyWindow busy(wait->text, wait->device, wait->cancel, owner);
        shown = &busy;
        QApplication::restoreOverrideCursor();
        busy.exec();
        QApplication::setOverrideCursor(Qt::BusyCursor);
        shown = nullptr;
    }
    worker.join();

    QApplication::restoreOverrideCursor();
    if (window) window->unsetCursor();
    if (error) std::rethrow_exception(error);
}

}  // namespace

void runBusy(QWidget* owner, const std::function<void()>& work) {
    run(owner, work, nullptr);
}

void runBusy(QWidget* owner, const std::function<void()>& work, const BusyWait& wait) {
    run(owner, work, &wait);
}

}  // namespace kvt::gui
