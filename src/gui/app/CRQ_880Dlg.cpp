#include "gui/app/CRQ_880Dlg.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "core/config/DeviceTexts.h"
#include "core/files/CsvExport.h"
#include "core/flows/SearchFlows.h"
#include "gui/app/CAboutDlg.h"
#include "gui/base/Busy.h"
#include "gui/base/MessageBox.h"
#include "gui/base/Settings.h"
#include "gui/base/Texts.h"
#include "gui/device/ConfigurationActions.h"
#include "gui/device/EnipCheck.h"
#include "gui/discovery/CAppointIpAddr.h"
#include "gui/discovery/CWait.h"
#include "gui/discovery/InterfaceChoice.h"
#include "gui/discovery/ipAddrReport.h"
#include "gui/files/ExportCsv.h"
#include "gui/widgets/ReportList.h"
#include "gui/widgets/StatusLine.h"

namespace kvt::gui {

namespace {

constexpr auto kColumns = columnsOf(kDeviceListColumns, std::array{40, 75, 75, 95, 115, 60, 60});

QPushButton* makeButton(QWidget* parent, std::uint32_t text) {
    auto* button = new QPushButton(uiString(text), parent);
    button->setAutoDefault(false);
    // At least the product's width, and never narrower than the text (the English texts are
    // longer): an explicit minimum would otherwise let the layout squeeze the text.
    button->setMinimumWidth(std::max(100, button->sizeHint().width()));
    return button;
}

}  // namespace

CRQ_880Dlg::CRQ_880Dlg(Session& session, QWidget* parent) : QDialog(parent), m_session(session) {
    setObjectName(QStringLiteral("CRQ_880Dlg"));
    setWindowTitle(QStringLiteral("KVT-640"));
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);

    // The window's menu (a context menu here): export, language, and the about item when the
    // resource has a text.
    setContextMenuPolicy(Qt::ActionsContextMenu);
    m_export = new QAction(tr("导出设备列表(CSV)..."), this);
    addAction(m_export);
    connect(m_export, &QAction::triggered, this, &CRQ_880Dlg::exportDevices);
    addLanguageMenu();
    const QString aboutText = resourceString(101, session.lang);
    if (!aboutText.isEmpty()) {
        m_about = new QAction(aboutText, this);
        auto* separator = new QAction(this);
        separator->setSeparator(true);
        addAction(separator);
        addAction(m_about);
        connect(m_about, &QAction::triggered, this, &CRQ_880Dlg::showAbout);
    }
    // F1 is the application's help command: it works in the editor and the other dialogs
    // too, which a shortcut of this window would not reach while they are modal.
    qApp->installEventFilter(this);
    connect(this, &CRQ_880Dlg::helpRequested, this, [this] { openHelp(); });

    m_session.ensureConfiguration();
    m_session.clearSelection();

    m_search = makeButton(this, 4177);
    m_searchByIp = makeButton(this, 4178);
    m_userConfig = makeButton(this, 4179);
    m_backgroundConfig = makeButton(this, 4180);
    m_report = makeButton(this, 4181);
    m_new = makeButton(this, 4189);
    m_open = makeButton(this, 4184);
    m_save = makeButton(this, 4185);
    m_exit = makeButton(this, 4186);

    m_list = new QTableWidget(this);
    setUpReportList(m_list, kColumns);
    // One highlighted row, the one the buttons act on; Tab moves on to the next control.
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setTabKeyNavigation(false);
    m_list->installEventFilter(this);
    m_list->setMinimumHeight(240);
    m_interfaceChoice = new InterfaceChoice(session, this);

    auto* layout = new QGridLayout(this);
    auto* left = new QVBoxLayout;
    left->addWidget(m_search);
    left->addWidget(m_interfaceChoice);
    left->addSpacing(6);
    for (QPushButton* b : {m_searchByIp, m_userConfig, m_backgroundConfig, m_report})
        left->addWidget(b);
    left->addStretch(1);
    layout->addLayout(left, 0, 0);
    layout->addWidget(m_list, 0, 1);
    auto* bottom = new QHBoxLayout;
    m_status = new StatusLine(this);
    bottom->addWidget(m_status, 1);
    for (QPushButton* b : {m_new, m_open, m_save, m_exit}) bottom->addWidget(b);
    layout->addLayout(bottom, 1, 1);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(0, 1);

    m_appoint = new CAppointIpAddr(this);

    connect(m_search, &QPushButton::clicked, this, &CRQ_880Dlg::search);
    connect(m_searchByIp, &QPushButton::clicked, this, &CRQ_880Dlg::searchByIp);
    connect(m_report, &QPushButton::clicked, this, &CRQ_880Dlg::showReportWindow);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_userConfig, &QPushButton::clicked, this, [this] {
        if (m_actions) m_actions->userConfiguration();
    });
    connect(m_backgroundConfig, &QPushButton::clicked, this, [this] {
        if (m_actions) m_actions->backgroundConfiguration();
    });
    connect(m_new, &QPushButton::clicked, this, [this] {
        if (m_actions) m_actions->newConfiguration();
    });
    connect(m_open, &QPushButton::clicked, this, [this] {
        if (m_actions) m_actions->openFile();
    });
    connect(m_save, &QPushButton::clicked, this, [this] {
        if (m_actions) m_actions->saveFile();
    });
    connect(m_list, &QTableWidget::cellClicked, this, [this](int row, int) {
        listClicked(row);
        // A Ctrl-click on the highlighted row would take the highlight off the device the
        // buttons still act on.
        if (row >= 0) m_list->selectRow(row);
    });
    // A row made current by the keyboard counts as a click on it.
    connect(m_list, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int previous, int) {
                if (row >= 0 && row != previous) listClicked(row);
            });
    connect(m_list, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { listDoubleClicked(row); });
    addEnipCheckMenu(m_list, m_session, [this](int row) { listClicked(row); });

    setConfigButtonsEnabled(false);
    m_open->setEnabled(true);
    // Where and how big the user left it last time; the platform's choice at first.
    const QByteArray geometry = Settings::mainWindowGeometry();
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
    else if (const std::optional<QPoint> place = Settings::mainWindowPosition())
        move(*place);
}

CRQ_880Dlg::~CRQ_880Dlg() {
    m_session.dropConfiguration();
}

void CRQ_880Dlg::addLanguageMenu() {
    // Named in both languages, and each language in its own, so that a user who cannot read
    // the interface in view still finds the way to the other.
    auto* menu = new QMenu(this);
    auto* group = new QActionGroup(menu);
    m_chinese = menu->addAction(QStringLiteral("中文"));
    m_english = menu->addAction(QStringLiteral("English"));
    for (QAction* action : {m_chinese, m_english}) {
        action->setCheckable(true);
        group->addAction(action);
    }
    languageAction(m_session.lang)->setChecked(true);
    connect(m_chinese, &QAction::triggered, this, [this] { chooseLanguage(Lang::Zh); });
    connect(m_english, &QAction::triggered, this, [this] { chooseLanguage(Lang::En); });
    auto* entry = new QAction(QStringLiteral("语言 / Language"), this);
    entry->setMenu(menu);
    addAction(entry);
}

void CRQ_880Dlg::chooseLanguage(Lang lang) {
    Settings::setLanguage(lang);
    // Every window takes its texts when it is built: the choice shows from the next start.
    if (lang != m_session.lang)
        MessageBox::showText(this, tr("所选语言将在下次启动本程序时使用。"));
}

void CRQ_880Dlg::setConfigButtonsEnabled(bool enabled, const QString& why) {
    for (QPushButton* button : {m_userConfig, m_backgroundConfig, m_save}) {
        button->setEnabled(enabled);
        // A disabled button says why when there is more to it than "nothing selected".
        button->setToolTip(why);
    }
}

void CRQ_880Dlg::showDevices() {
    m_list->setRowCount(0);
    for (int r = 0; r < static_cast<int>(m_session.devices.size()); ++r) {
        const CEquipment& d = m_session.devices[static_cast<std::size_t>(r)];
        // Table texts show in the interface language; the device's own texts as they came.
        setReportRow(m_list, r,
                     {fromGbk(d.rowNumber), shownText(nameTextId(d), d.name),
                      shownText(modelTextId(d), Gbk(kModelKvt275r)), fromGbk(d.ipAddress),
                      fromGbk(d.macAddress), fromGbk(d.firmwareVersion),
                      shownText(passwordSetTextId(d.userPasswordSet), {})});
        // The seven columns stay as they are; the interface is told on demand.
        if (d.interfaceName.empty()) continue;
        const QString tip = tr("网卡：%1").arg(m_interfaceChoice->describe(d.interfaceName));
        for (int c = 0; c < m_list->columnCount(); ++c) m_list->item(r, c)->setToolTip(tip);
    }
}

void CRQ_880Dlg::exportDevices() {
    exportCsv(this, QStringLiteral("devices.csv"),
              deviceTableCsv(m_session.devices, m_session.lang));
}

void CRQ_880Dlg::done(int result) {
    // A size the layout forced (a wide row, a long English text) is not the user's choice:
    // only a window made larger than it needs keeps its size for the next start.
    const QSize needed = minimumSizeHint().expandedTo(minimumSize());
    if (width() > needed.width() || height() > needed.height())
        Settings::setMainWindowGeometry(saveGeometry());
    else
        Settings::setMainWindowPosition(pos());
    QDialog::done(result);
}

void CRQ_880Dlg::afterSearch() {
    m_session.clearSelection();
    setConfigButtonsEnabled(false);
}

void CRQ_880Dlg::search() {
    m_list->setRowCount(0);
    m_search->setEnabled(false);
    std::vector<CEquipment> found;
    SearchSetup setup = SearchSetup::Ready;
    {
        CWait wait(m_session.network, found, this);
        wait.exec();
        setup = wait.setup();
    }
    const Outcome outcome = listFoundDevices(m_session.devices, std::move(found), setup);
    if (outcome == Outcome::Done) showDevices();
    m_status->searchEnded(outcome, m_list->rowCount(), m_session.network.localPort);
    m_search->setEnabled(true);
    afterSearch();
}

void CRQ_880Dlg::searchByIp() {
    if (m_appoint->exec() != QDialog::Accepted) return;
    m_searchByIp->setEnabled(false);
    m_list->setRowCount(0);
    if (const std::string address = m_appoint->address(); !address.empty()) {
        Outcome outcome = Outcome::SearchFailed;
        // Nothing on this thread touches the session while the query runs: user input is
        // held back and this window has no timers of its own.
        runBusy(this,
                [&] { outcome = searchByAddress(m_session.network, m_session.devices, address); });
        if (outcome == Outcome::Done) showDevices();
        m_status->searchEnded(outcome, m_list->rowCount(), m_session.network.localPort);
    }
    m_searchByIp->setEnabled(true);
    // Also after a failure: the list is empty then, so nothing may stay selected.
    afterSearch();
}

void CRQ_880Dlg::showReportWindow() {
    ipAddrReport window(m_session, this);
    window.exec();
}

void CRQ_880Dlg::showAbout() {
    CAboutDlg about(this);
    about.exec();
}

QString CRQ_880Dlg::helpFilePath() const {
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(resourceString(92, m_session.lang));
}

bool CRQ_880Dlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        emit helpRequested();
        return true;
    }
    // Enter on a row starts the user configuration, as a double-click does.
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            listDoubleClicked(m_list->currentRow());
            return true;
        }
        // Home and End go to the first and the last device, as in a list (a table's would
        // stay in the row).
        if ((key == Qt::Key_Home || key == Qt::Key_End) && m_list->rowCount() > 0) {
            m_list->setCurrentCell(key == Qt::Key_Home ? 0 : m_list->rowCount() - 1,
                                   std::max(0, m_list->currentColumn()));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool CRQ_880Dlg::openHelp() {
    const QString path = helpFilePath();
    if (!QFileInfo(path).isFile()) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void CRQ_880Dlg::listClicked(int row) {
    switch (m_session.selectRow(row)) {
        case Session::Selection::None:
            break;
        case Session::Selection::OtherProduct:
            setConfigButtonsEnabled(false);
            break;
        case Session::Selection::NoAddress:
            setConfigButtonsEnabled(false, tr("该设备尚无IP地址（0.0.0.0），无法连接"));
            m_status->showMessage(m_userConfig->toolTip());
            break;
        case Session::Selection::Supported:
            setConfigButtonsEnabled(true);
            break;
    }
}

void CRQ_880Dlg::listDoubleClicked(int row) {
    if (row < 0 || row >= static_cast<int>(m_session.devices.size())) return;
    // A device of another product, or one without an address, cannot be configured; the
    // earlier selection must not be acted on in its place.
    const CEquipment& device = m_session.devices[static_cast<std::size_t>(row)];
    if (!device.selectable() || !device.hasAddress()) return;
    if (m_session.selectedIndex != row) return;
    if (m_actions) m_actions->userConfiguration();
}

}  // namespace kvt::gui
