#pragma once
// The language of the window texts: Korean on a Korean system, English otherwise. Lives in the
// lowest Qt layer so every dialog, not only the main window, can apply the same rule.

#include <QFont>

enum class Language { Korean, English };

// Korean when the system language is Korean, English otherwise.
Language systemLanguage();

// The font every window but the About window uses in the given language.
QFont languageFont(Language language);
