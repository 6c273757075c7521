#include "gui/base/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>
#include <vector>

namespace kvt::gui {

namespace {

// Built in as resources by src/gui/CMakeLists.txt: the table's texts and the windows' own.
constexpr const char* kOwnTranslations[] = {":/translations/uitext_en.qm",
                                            ":/translations/kvt640_en.qm"};

struct Installed {
    std::vector<std::unique_ptr<QTranslator>> translators;
    bool qt = false;
    Lang lang = Lang::Zh;
};

// Only the user-interface thread installs translations.
Installed& installed() {
    static Installed state;
    return state;
}

void install(std::unique_ptr<QTranslator> translator) {
    QCoreApplication::installTranslator(translator.get());
    installed().translators.push_back(std::move(translator));
}

}  // namespace

Lang chooseLanguage(const std::string& option, std::optional<Lang> remembered, Lang locale) {
    if (option == "en") return Lang::En;
    if (option == "zh") return Lang::Zh;
    return remembered.value_or(locale);
}

void installTranslations(Lang lang) {
    removeTranslations();
    installed().lang = lang;
    if (lang == Lang::En) {
        for (const char* path : kOwnTranslations) {
            auto translator = std::make_unique<QTranslator>();
            // Built into the program: failing to load is a build fault, not a user's problem.
            if (!translator->load(QString::fromLatin1(path)))
                qWarning("kvt640: translation %s is missing", path);
            else
                install(std::move(translator));
        }
        return;
    }
    // Our texts are Chinese as written; Qt's own buttons and file dialogs need Qt's file.
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                 QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        install(std::move(qt));
        installed().qt = true;
    }
}

void removeTranslations() {
    for (const auto& translator : installed().translators)
        QCoreApplication::removeTranslator(translator.get());
    installed() = Installed{};
}

Lang interfaceLanguage() {
    return installed().lang;
}

bool qtTranslationsInstalled() {
    return installed().qt;
}

}  // namespace kvt::gui
