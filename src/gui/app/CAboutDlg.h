#pragma once
// About box: caption text 1, the version line (text 2), the maker's line (text 3), OK (text 4).
#include <QDialog>

class QLabel;
class QPushButton;

namespace kvt::gui {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QLabel* versionLine() const { return m_version; }
    QLabel* makerLine() const { return m_maker; }
    QPushButton* okButton() const { return m_ok; }

private:
    QLabel* m_version = nullptr;
    QLabel* m_maker = nullptr;
    QPushButton* m_ok = nullptr;
};

}  // namespace kvt::gui
