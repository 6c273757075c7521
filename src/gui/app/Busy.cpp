#include "gui/app/Busy.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>
#include <exception>
#include <thread>

namespace kvt::gui {

void runBusy(QWidget* owner, const std::function<void()>& work) {
    QEventLoop loop;
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
        // Posted to the loop's thread; if it arrives before exec() starts it still ends it.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();

    QApplication::restoreOverrideCursor();
    if (window) window->unsetCursor();
    if (error) std::rethrow_exception(error);
}

}  // namespace kvt::gui
