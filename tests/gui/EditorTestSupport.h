#pragma once
// Pieces shared by the editor's and the configuration flows' tests: acting on modal dialogs
// once they are up and no blocking work runs, counting dialogs that come up, typing into
// controls as a user does.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>

#include "GuiTestSupport.h"

namespace kvt::test {

// Runs `act` on the next modal dialog of type T, once no busy work is running.
template <typename T>
void onModal(std::function<void(T*)> act, int limitMs = 15000) {
    whenModal<T>(
        std::move(act), [](T*) { return QApplication::overrideCursor() == nullptr; }, limitMs);
}

// While it lives: every modal dialog of type T that comes up is counted and answered by `act`
// (so an unexpected dialog cannot hang a test).
template <typename T>
class ModalWatch {
public:
    explicit ModalWatch(std::function<void(T*)> act) : m_act(std::move(act)) {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
            if (!window || window == m_last || QApplication::overrideCursor()) return;
            m_last = window;
            ++m_count;
            QPointer<T> target = window;
            auto callback = m_act;
            QTimer::singleShot(0, window, [target, callback] {
                if (target) callback(target);
            });
        });
        m_timer.start();
    }
    int count() const { return m_count; }

private:
    std::function<void(T*)> m_act;
    QTimer m_timer;
    QPointer<T> m_last;
    int m_count = 0;
};

// Key presses for each character; characters beyond ASCII arrive as an input method would
// deliver them (a key event that carries the text).
inline void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 128) {
            QTest::keyClick(widget, static_cast<char>(c.unicode()));
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

// Types into an edit as a user does, then moves the focus to `next` so the edit's lose-focus
// check runs.
inline void typeAndLeave(QLineEdit* edit, const QString& text, QWidget* next) {
    edit->setFocus(Qt::MouseFocusReason);
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        typeText(edit, text);
    next->setFocus(Qt::MouseFocusReason);
}

}  // namespace kvt::test
