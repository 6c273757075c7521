#pragma once
// Common ground of the editor's pages: activation and deactivation as the sheet drives them,
// lose-focus checks, and the Enter rule (Enter never presses the sheet's OK; the focused
// control gives up the focus instead, so that its check runs).
#include <QHash>
#include <QWidget>
#include <functional>

#include "gui/base/Session.h"

namespace kvt::gui {

class PropertyPage : public QWidget {
    Q_OBJECT
public:
    PropertyPage(Session& session, QWidget* parent = nullptr);

    // The page is about to be shown: fill the controls from the current configuration.
    // false refuses activation.
    bool activate();
    // The page is about to be left: store what it holds. false refuses to leave.
    virtual bool deactivate() { return true; }
    // The tab caption.
    virtual QString title() const = 0;

protected:
    // Runs once, before the first activation (the page's window is created then).
    virtual void initialise() {}
    virtual bool onActivate() = 0;

    // Calls `check` whenever `control` loses the keyboard focus to another control of the
    // tool (not when another window merely becomes active, as a message box does).
    void onFocusLost(QWidget* control, std::function<void()> check);
    // Watches the Enter key on the page and on every control it holds; call after building
    // the controls.
    void installEnterRule();

    CConfiguration* config() const { return m_session.config.get(); }
    void markChanged() { m_session.configChanged = true; }

    bool eventFilter(QObject* watched, QEvent* event) override;

    Session& m_session;

private:
    QHash<QObject*, std::function<void()>> m_focusChecks;
    bool m_initialised = false;
    bool m_inCheck = false;
};

}  // namespace kvt::gui
