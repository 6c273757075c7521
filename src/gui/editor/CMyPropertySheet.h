#pragma once
// The configuration editor: a tabbed dialog over the current configuration. OK hands over to
// the save/download choice its owner gives and closes only when that succeeded; Cancel offers
// to save changes and then drops the configuration.
#include <QDialog>
#include <functional>
#include <vector>

class QPushButton;
class QTabWidget;

namespace kvt {
class FlowUi;
class SavePrompt;
struct Session;
}  // namespace kvt

namespace kvt::gui {

class PropertyPage;
class CMyPropertyPage2;
class CMyPropertyPage7;
class CMyPropertyPage8;
class CMyPropertyPage9;

class CMyPropertySheet : public QDialog {
    Q_OBJECT
public:
    // Run by OK once the page in view has stored its values, over the sheet; true when the
    // editor may close. The device dialogs provide it, so the editor needs none of them.
    using SaveChoice = std::function<bool(QWidget* sheet)>;

    // The configuration kind must be settled before the sheet is built: it decides the tabs.
    // `prompt` answers the save of the save-changes prompt.
    CMyPropertySheet(Session& session, FlowUi& ui, SavePrompt& prompt, SaveChoice saveChoice,
                     QWidget* parent = nullptr);

    QTabWidget* tabs() const { return m_tabs; }
    int pageCount() const;
    CMyPropertyPage2* ethernetPage() const { return m_page2; }
    CMyPropertyPage7* passwordPage() const { return m_page7; }
    CMyPropertyPage8* reportPage() const { return m_page8; }
    CMyPropertyPage9* advancedPage() const { return m_page9; }  // null in a user configuration
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    PropertyPage* currentPage() const;
    void tabChanged(int index);
    // Moves the focus off the active page's controls so that a pending lose-focus check runs
    // before a button acts, as a click on the button would.
    void leaveControls();

    Session& m_session;
    FlowUi& m_ui;
    SavePrompt& m_prompt;
    SaveChoice m_saveChoice;
    QTabWidget* m_tabs;
    CMyPropertyPage2* m_page2;
    CMyPropertyPage7* m_page7;
    CMyPropertyPage8* m_page8;
    CMyPropertyPage9* m_page9 = nullptr;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    int m_activeIndex = -1;
    bool m_switching = false;
    bool m_widened = false;
};

}  // namespace kvt::gui
