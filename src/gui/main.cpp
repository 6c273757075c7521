#include <QApplication>
#include <iostream>
#include <memory>
#include <string>

#include "gui/app/CRQ_880App.h"
#include "gui/app/CRQ_880Dlg.h"
#include "gui/device/ConfigurationFlows.h"

int main(int argc, char** argv) {
    kvt::gui::CRQ_880App app;
    std::string text;
    bool toStderr = false;
    // Before QApplication, so that --help works without a display.
    if (const auto code = app.parseCommandLine(argc, argv, &text, &toStderr)) {
        (toStderr ? std::cerr : std::cout) << text;
        return *code;
    }
    QApplication qt(argc, argv);
    app.setActionsFactory([](kvt::Session& session, kvt::gui::CRQ_880Dlg& window) {
        return std::make_unique<kvt::gui::ConfigurationFlows>(session, &window);
    });
    return app.run();
}
