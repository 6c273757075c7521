#pragma once
// The interface language of the desktop tool. Our texts are written in Chinese; the English
// interface comes from Qt Linguist translations built into the program, and in the Chinese
// interface Qt's own dialog texts (standard buttons, file dialogs) come from the Chinese
// translations that Qt ships.
#include <optional>
#include <string>

#include "core/text/UiText.h"

namespace kvt::gui {

// --lang wins ("zh" or "en"; empty when not given), then the language chosen in the window
// and remembered, then the locale's.
Lang chooseLanguage(const std::string& option, std::optional<Lang> remembered, Lang locale);

// Installs the translations of `lang` for the whole program, replacing those of an earlier
// call. Needs the QCoreApplication. Windows built afterwards show the language.
void installTranslations(Lang lang);
// The language of the last installTranslations(); Chinese before the first and after
// removeTranslations(). For texts the core writes in either language.
Lang interfaceLanguage();

// Back to the texts as written (tests).
void removeTranslations();

// Whether Qt's own Chinese texts were found and installed by the last installTranslations().
bool qtTranslationsInstalled();

}  // namespace kvt::gui
