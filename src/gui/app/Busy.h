#pragma once
// Runs blocking network work without freezing the window: the work runs on a worker thread
// while the caller's thread keeps painting and running timers, user input is held back and the
// cursor shows that the tool is busy. Returns when the work is done; an exception thrown by
// the work is rethrown here.
#include <functional>

class QWidget;

namespace kvt::gui {

void runBusy(QWidget* owner, const std::function<void()>& work);

}  // namespace kvt::gui
