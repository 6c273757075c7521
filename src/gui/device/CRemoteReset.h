#pragma once
// The reset question after an acknowledged download ("是否复位远程设备?"); Cancel is the default.
#include <QDialog>

class QPushButton;

namespace kvt::gui {

class CRemoteReset : public QDialog {
    Q_OBJECT
public:
    explicit CRemoteReset(QWidget* parent = nullptr);
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

}  // namespace kvt::gui
