#pragma once
// The configuration-kind chooser ("选择设备"): user or background configuration.
#include <QDialog>

#include "core/config/Configuration.h"
#include "core/text/UiText.h"

class QComboBox;

namespace kvt {
struct Session;
}

namespace kvt::gui {

class CDevice : public QDialog {
    Q_OBJECT
public:
    // With a session, OK performs the New fill of the chosen kind; without one the chooser
    // only answers (the caller fills).
    explicit CDevice(Session* session, QWidget* parent = nullptr);

    QComboBox* kindList() const { return m_kind; }
    ConfigKind selectedKind() const;

    void accept() override;

private:
    Session* m_session;
    QComboBox* m_kind;
};

}  // namespace kvt::gui
