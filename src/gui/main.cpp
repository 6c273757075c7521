#include <QApplication>
#include <iostream>
#include <string>

#include "gui/app/CRQ_880App.h"

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
    return app.run();
}
