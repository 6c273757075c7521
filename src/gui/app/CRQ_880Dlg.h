#pragma once
// Main window: the device list, the search buttons and the buttons that hand over to the
// configuration flows. All state lives in the Session it is given.
#include <QDialog>
#include <QString>

#include "gui/base/Session.h"

class QAction;
class QPushButton;
class QTableWidget;

namespace kvt::gui {

class CAppointIpAddr;
class ConfigurationActions;
class InterfaceChoice;
class StatusLine;

class CRQ_880Dlg : public QDialog {
    Q_OBJECT
public:
    explicit CRQ_880Dlg(Session& session, QWidget* parent = nullptr);
    ~CRQ_880Dlg() override;

    // The configuration flows; without them the configuration buttons do nothing.
    void setConfigurationActions(ConfigurationActions* actions) { m_actions = actions; }

    QPushButton* searchButton() const { return m_search; }
    QPushButton* searchByIpButton() const { return m_searchByIp; }
    QPushButton* userConfigButton() const { return m_userConfig; }
    QPushButton* backgroundConfigButton() const { return m_backgroundConfig; }
    QPushButton* reportButton() const { return m_report; }
    QPushButton* newButton() const { return m_new; }
    QPushButton* openButton() const { return m_open; }
    QPushButton* saveButton() const { return m_save; }
    QPushButton* exitButton() const { return m_exit; }
    QTableWidget* deviceList() const { return m_list; }
    InterfaceChoice* interfaceChoice() const { return m_interfaceChoice; }
    QAction* aboutAction() const { return m_about; }
    QAction* exportAction() const { return m_export; }
    // The entries of the language menu ("语言 / Language" in the window's menu).
    QAction* languageAction(Lang lang) const { return lang == Lang::En ? m_english : m_chinese; }
    CAppointIpAddr* searchByIpDialog() const { return m_appoint; }
    // How the last search or download ended.
    StatusLine* statusLine() const { return m_status; }

    // The help file beside the program, named by string resource 92.
    QString helpFilePath() const;

public slots:
    void search();
    void searchByIp();
    void showReportWindow();
    void showAbout();
    // Opens the help file; false when there is none.
    bool openHelp();
    void listClicked(int row);
    void listDoubleClicked(int row);
    // Shows the device table in the list; a row's tooltip names the interface it was heard on.
    void showDevices();
    // Writes the device table to a .csv file the user chooses.
    void exportDevices();
    void done(int result) override;

signals:
    // F1 was pressed in any window of the tool (the editor and other dialogs included).
    void helpRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setConfigButtonsEnabled(bool enabled, const QString& why = {});
    void afterSearch();
    void addLanguageMenu();
    void chooseLanguage(Lang lang);

    Session& m_session;
    ConfigurationActions* m_actions = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_searchByIp = nullptr;
    QPushButton* m_report = nullptr;
    QPushButton* m_backgroundConfig = nullptr;
    QPushButton* m_userConfig = nullptr;
    QPushButton* m_search = nullptr;
    QPushButton* m_new = nullptr;
    QPushButton* m_exit = nullptr;
    QTableWidget* m_list = nullptr;
    InterfaceChoice* m_interfaceChoice = nullptr;
    QAction* m_about = nullptr;
    QAction* m_export = nullptr;
    QAction* m_chinese = nullptr;
    QAction* m_english = nullptr;
    CAppointIpAddr* m_appoint = nullptr;
    StatusLine* m_status = nullptr;
};

}  // namespace kvt::gui
