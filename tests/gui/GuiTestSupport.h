#pragma once
// Shared pieces of the desktop tool's tests: settings kept away from the user's, the interface
// language, fixed texts that are not in it, acting on a modal window once it is up, the
// simulator on this process's loopback block, and a session pointed at it.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/app/CRQ_880Dlg.h"
#include "gui/base/Language.h"
#include "gui/base/Session.h"
#include "gui/base/Settings.h"
#include "sim/Simulator.h"
#include "support/TestNet.h"

namespace kvt::test {

// The folder that stands for ~/.config in this test process: the tool's own settings and
// those of Qt's dialogs land there and go with the process.
inline QString settingsFolder() {
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/kvt-gui-test-config-XXXXXX"));
    return folder.path();
}

// Set before main(), so before anything can have looked the settings folder up.
inline const bool kSettingsIsolated = [] {
    return qputenv("XDG_CONFIG_HOME", settingsFolder().toLocal8Bit());
}();

// Forgets what the tool remembered (as on a PC where it never ran).
inline void clearSettings() {
    QSettings settings = gui::Settings::file();
    settings.clear();
    settings.sync();
}

// While it lives, the program's translations of `lang` are installed, as the tool installs them
// at its start: windows built meanwhile show that language.
class InterfaceLanguage {
public:
    explicit InterfaceLanguage(Lang lang) {
        gui::installTranslations(lang);
        english() = lang == Lang::En;
    }
    ~InterfaceLanguage() {
        gui::removeTranslations();
        english() = false;
    }
    InterfaceLanguage(const InterfaceLanguage&) = delete;
    InterfaceLanguage& operator=(const InterfaceLanguage&) = delete;

    // Whether the English interface is installed now.
    static bool& english() {
        static bool on = false;
        return on;
    }
};

// Labels and buttons whose text does not fit their width.
inline QStringList cutTexts(QWidget* window) {
    QStringList cut;
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->isVisible() || label->text().isEmpty() || label->wordWrap()) continue;
        if (label->width() < label->minimumSizeHint().width()) cut << label->text();
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!button->isVisible() || button->text().isEmpty()) continue;
        if (button->width() < button->minimumSizeHint().width()) cut << button->text();
    }
    // List cells and headers narrower than their text (the delegate's own measure).
    for (QTableWidget* list : window->findChildren<QTableWidget*>()) {
        if (!list->isVisible()) continue;
        const QHeaderView* header = list->horizontalHeader();
        for (int c = 0; c < list->columnCount(); ++c) {
            const QTableWidgetItem* head = list->horizontalHeaderItem(c);
            if (head && header->sectionSize(c) < header->sectionSizeHint(c)) cut << head->text();
            for (int r = 0; r < list->rowCount(); ++r) {
                const QTableWidgetItem* item = list->item(r, c);
                const QModelIndex index = list->model()->index(r, c);
                if (item && list->visualRect(index).width() < list->sizeHintForIndex(index).width())
                    cut << item->text();
            }
        }
    }
    // Tabs pushed out of the row or behind scroll arrows are cut as well.
    for (QTabBar* bar : window->findChildren<QTabBar*>()) {
        if (!bar->isVisible()) continue;
        for (int i = 0; i < bar->count(); ++i)
            if (bar->tabRect(i).right() >= bar->width()) cut << bar->tabText(i);
    }
    return cut;
}

// Ideographs, kana, hangul, CJK and full-width punctuation.
inline bool hasCjk(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xAC00 && u <= 0xD7AF) ||
            (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFE30 && u <= 0xFE4F) ||
            (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

// The fixed texts of `window` that hold CJK characters, each as "Class: text": captions,
// labels, buttons, group boxes, tabs, list headers and entries, placeholders, tooltips (list
// rows' too) and the entries of its menus. What list cells and edits hold is device data and
// is not looked at. The language menu names itself and Chinese in Chinese on purpose.
inline QStringList cjkTexts(QWidget* window) {
    static const QStringList kLanguageMenu = {QStringLiteral("语言 / Language"),
                                              QStringLiteral("中文")};
    QStringList found;
    QString where;
    const auto note = [&](const QString& text) {
        if (hasCjk(text) && !kLanguageMenu.contains(text))
            found << where + QStringLiteral(": ") + text;
    };
    std::function<void(const QList<QAction*>&)> menus = [&](const QList<QAction*>& actions) {
        for (QAction* action : actions) {
            note(action->text());
            note(action->toolTip());
            if (action->menu()) menus(action->menu()->actions());
        }
    };
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* w : widgets) {
        where = QString::fromLatin1(w->metaObject()->className());
        note(w->windowTitle());
        note(w->toolTip());
        menus(w->actions());
        if (auto* label = qobject_cast<QLabel*>(w)) note(label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(w)) note(button->text());
        if (auto* group = qobject_cast<QGroupBox*>(w)) note(group->title());
        if (auto* edit = qobject_cast<QLineEdit*>(w)) note(edit->placeholderText());
        if (auto* tabs = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < tabs->count(); ++i) note(tabs->tabText(i));
        if (auto* combo = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < combo->count(); ++i) note(combo->itemText(i));
        if (auto* list = qobject_cast<QTableWidget*>(w)) {
            for (int c = 0; c < list->columnCount(); ++c)
                if (const QTableWidgetItem* header = list->horizontalHeaderItem(c))
                    note(header->text());
            for (int r = 0; r < list->rowCount(); ++r)
                for (int c = 0; c < list->columnCount(); ++c)
                    if (const QTableWidgetItem* item = list->item(r, c)) note(item->toolTip());
        }
    }
    return found;
}

// Runs `act` on the active modal window of type T as soon as it is up and `ready` holds for
// it; gives up after `limitMs` (the test then fails on its own checks, never hangs).
template <typename T>
void whenModal(std::function<void(T*)> act, std::function<bool(T*)> ready = {},
               int limitMs = 8000) {
    // Parented to the application so that a watcher still pending when a test ends goes
    // with it instead of leaking.
    auto* timer = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, act, ready, limitMs] {
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        const bool go = window && (!ready || ready(window));
        if (go || clock->elapsed() > limitMs) {
            timer->stop();
            timer->deleteLater();
            if (go) act(window);
        }
    });
    timer->start();
}

inline Session loopbackSession(int discoveryHost = 1) {
    Session session;
    session.network.discoveryTarget = loopbackHost(discoveryHost);
    session.network.localAddress = loopbackHost(200);
    session.network.connectTimeoutMs = 1000;
    return session;
}

// Clicks the main window's row of the device at `address`; true when it is then selected. A
// search ends with the first cycle that heard anyone, and on a loaded machine the simulator's
// other replies can miss that window: the search is run again (twice at most) before giving up.
inline bool selectListed(gui::CRQ_880Dlg& window, const Session& session,
                         const std::string& address) {
    for (int search = 0; search < 3; ++search) {
        for (std::size_t row = 0; row < session.devices.size(); ++row) {
            if (session.devices[row].ipAddress != address) continue;
            window.listClicked(static_cast<int>(row));
            return session.selectedIndex == static_cast<int>(row);
        }
        window.searchButton()->click();
    }
    return false;
}

inline kvt::sim::DeviceSetup simDevice(int host, const std::string& name) {
    kvt::sim::DeviceSetup setup;
    setup.address = loopbackHost(host);
    setup.name = name;
    setup.mac = {0x02, 0x00, 0x00, 0x00, 0x00, static_cast<std::uint8_t>(host)};
    return setup;
}

// A started simulator answering discovery on host `discoveryHost`, or null (with `error`).
inline std::unique_ptr<kvt::sim::Simulator> startSimulator(
    std::vector<kvt::sim::DeviceSetup> devices, int discoveryHost, std::string* error) {
    kvt::sim::Options options;
    options.discoveryAddress = loopbackHost(discoveryHost);
    options.log = false;
    auto sim = std::make_unique<kvt::sim::Simulator>(options, std::move(devices));
    if (!sim->start(error)) return nullptr;
    return sim;
}

}  // namespace kvt::test
