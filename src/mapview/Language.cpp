#include "mapview/Language.h"

#include <QLocale>

namespace {
constexpr int kKoreanFontPixels = 12;
constexpr int kEnglishFontPoints = 8;
}  // namespace

Language systemLanguage()
{
    return QLocale::system().language() == QLocale::Korean ? Language::Korean : Language::English;
}

QFont languageFont(Language language)
{
    if (language == Language::Korean) {
        QFont font(QStringLiteral("굴림"));
        font.setPixelSize(kKoreanFontPixels);
        return font;
    }
    return QFont(QStringLiteral("MS Sans Serif"), kEnglishFontPoints);
}
