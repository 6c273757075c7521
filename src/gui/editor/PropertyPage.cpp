#include "gui/editor/PropertyPage.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace kvt::gui {

PropertyPage::PropertyPage(Session& session, QWidget* parent)
    : QWidget(parent), m_session(session) {
    // The page takes the focus itself when Enter is pressed.
    setFocusPolicy(Qt::ClickFocus);
}

bool PropertyPage::activate() {
    if (!m_initialised && config()) {
        m_initialised = true;
        initialise();
    }
    return onActivate();
}

void PropertyPage::onFocusLost(QWidget* control, std::function<void()> check) {
    m_focusChecks.insert(control, std::move(check));
    control->installEventFilter(this);
}

void PropertyPage::installEnterRule() {
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

bool PropertyPage::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key != Qt::Key_Return && key != Qt::Key_Enter) break;
            if (event->type() == QEvent::KeyPress) setFocus(Qt::OtherFocusReason);
            event->accept();
            return true;
        }
        case QEvent::FocusOut: {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            // A message box or another window taking over is not the user leaving the control.
            if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) break;
            const auto it = m_focusChecks.constFind(watched);
            if (it == m_focusChecks.constEnd() || m_inCheck) break;
            m_inCheck = true;
            const auto check = it.value();
            check();
            m_inCheck = false;
            break;
        }
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace kvt::gui
