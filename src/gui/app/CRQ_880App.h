#pragma once
// The application object: reads the command line, owns the session, runs the main window
// modally and ends the program when it closes.
#include <QIcon>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "gui/base/Session.h"

namespace kvt::gui {

class CRQ_880Dlg;
class ConfigurationActions;

class CRQ_880App {
public:
    // Builds the configuration flows for the main window once it exists.
    using ActionsFactory =
        std::function<std::unique_ptr<ConfigurationActions>(Session&, CRQ_880Dlg&)>;

    CRQ_880App() = default;

    // Reads our options (Qt's own, such as -platform, pass through untouched). Returns an exit
    // code when the program is to end at once (--help, a bad option); `out` gets what is to
    // be printed then.
    std::optional<int> parseCommandLine(int argc, const char* const* argv, std::string* out,
                                        bool* toStderr = nullptr);
    // Chinese unless the locale's language is English.
    static Lang localeLanguage();
    // The window icon: the installed theme's, else the compiled-in copy.
    static QIcon programIcon();

    void setActionsFactory(ActionsFactory factory) { m_factory = std::move(factory); }
    Session& session() { return m_session; }

    // Needs the QApplication: installs the translations of the chosen language, shows the
    // main window modally and returns the program's exit code when it has closed.
    int run();

private:
    Session m_session;
    ActionsFactory m_factory;
};

}  // namespace kvt::gui
