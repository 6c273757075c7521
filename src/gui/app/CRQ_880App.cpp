#include "gui/app/CRQ_880App.h"

#include <CLI/CLI.hpp>
#include <QApplication>
#include <QDirIterator>
#include <QLocale>
#include <sstream>

#include "KvtVersion.h"
#include "core/net/NetworkOptionDefinitions.h"
#include "gui/app/CRQ_880Dlg.h"
#include "gui/base/Language.h"
#include "gui/base/Settings.h"
#include "gui/device/ConfigurationActions.h"

namespace kvt::gui {

Lang CRQ_880App::localeLanguage() {
    return QLocale::system().language() == QLocale::English ? Lang::En : Lang::Zh;
}

std::optional<int> CRQ_880App::parseCommandLine(int argc, const char* const* argv, std::string* out,
                                                bool* toStderr) {
    CLI::App cli{"KVT-640: configuration tool for KVT-275R gateways.", "kvt640"};
    cli.allow_extras();  // Qt's own options (-platform, -style, ...)
    // The same command lines on every system: on Windows CLI11 would take "/path" for an option.
    cli.allow_windows_style_options(false);
    cli.set_version_flag("--version", std::string("kvt640 ") + kVersion);
    NetworkOptions& net = m_session.network;
    std::string lang;
    cli.add_option("--lang", lang,
                   "Interface language (default: the one chosen in the window's menu, else the "
                   "locale's: Chinese unless it is English)")
        ->check(CLI::IsMember({"zh", "en"}));
    cli.add_option("--broadcast", net.discoveryTarget,
                   "Send the search's single query to this address only (default: out of every "
                   "network interface to 255.255.255.255); a simulator on loopback is reached "
                   "with e.g. 127.0.0.1")
        ->each([&net](const std::string&) { net.discoveryTargetChosen = true; });
    cli.add_option(kDiscoveryPortOption.names, net.discoveryPort, kDiscoveryPortOption.help);
    cli.add_option(kLocalAddressOption.names, net.localAddress, kLocalAddressOption.help);
    cli.add_option(kLocalPortOption.names, net.localPort, kLocalPortOption.help);
    cli.add_option(kDevicePortOption.names, net.devicePort, kDevicePortOption.help);
    cli.add_option(kConnectTimeoutOption.names, net.connectTimeoutMs, kConnectTimeoutOption.help)
        ->check(CLI::Range(kMinConnectTimeoutMs, kMaxConnectTimeoutMs));
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        std::ostringstream text;
        const int code = cli.exit(e, text, text);
        if (out) *out = text.str();
        if (toStderr) *toStderr = code != 0;
        return code;
    }
    m_session.lang = chooseLanguage(lang, Settings::language(), localeLanguage());
    return std::nullopt;
}

QIcon CRQ_880App::programIcon() {
    // The icon theme's copy first, so that a theme may restyle it; otherwise the PNGs compiled
    // in from the same drawing (e.g. run from the build directory, nothing installed).
    QIcon own;
    QDirIterator png(QStringLiteral(":/icons"), {QStringLiteral("*.png")}, QDir::Files,
                     QDirIterator::Subdirectories);
    while (png.hasNext()) own.addFile(png.next());
    return QIcon::fromTheme(QStringLiteral("com.kelvarin.kvt640"), own);
}

int CRQ_880App::run() {
    installTranslations(m_session.lang);
    QApplication::setApplicationName(QStringLiteral("KVT-640"));
    QApplication::setWindowIcon(programIcon());

    CRQ_880Dlg window(m_session);
    std::unique_ptr<ConfigurationActions> actions;
    if (m_factory) actions = m_factory(m_session, window);
    window.setConfigurationActions(actions.get());
    window.exec();
    window.setConfigurationActions(nullptr);
    return 0;
}

}  // namespace kvt::gui
