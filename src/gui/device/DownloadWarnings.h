#pragma once
// Before a download: the settings that look wrong (a mask with holes, an address that is its
// subnet's network or broadcast address, a gateway outside the subnet, and values the pages
// would refuse that came from a file or a device unedited), with the choice to download
// anyway or to go back to the editor. "Go back" is the default: a stray Enter sends nothing.
#include <QDialog>
#include <functional>
#include <vector>

#include "core/config/Validate.h"

class QLabel;
class QPushButton;

namespace kvt::gui {

class DownloadWarnings : public QDialog {
    Q_OBJECT
public:
    DownloadWarnings(const std::vector<FieldIssue>& issues, Lang lang, QWidget* parent = nullptr);

    QLabel* listLabel() const { return m_list; }
    QPushButton* downloadButton() const { return m_download; }
    QPushButton* backButton() const { return m_back; }

    // One line a setting, in the UI language: "子网掩码：255.0.255.0 不是连续的子网掩码".
    static QString lineFor(const FieldIssue& issue, Lang lang);

    // Shows the dialog (or asks the hook); true to download anyway.
    static bool ask(const std::vector<FieldIssue>& issues, Lang lang, QWidget* parent);

    // Tests answer through a hook instead of a dialog; an empty one restores the dialog.
    // Returns the previous hook.
    using Hook = std::function<bool(const std::vector<FieldIssue>&)>;
    static Hook setHook(Hook hook);

private:
    QLabel* m_list;
    QPushButton* m_download;
    QPushButton* m_back;
};

}  // namespace kvt::gui
