#pragma once
// Basic idea: the texts that Qt itself puts on the help window's dialogs and menus (the print
// dialog, the context menus of the page and of the fields) come in French while one of these
// objects lives: it installs Qt's own French translation (Debian's qt6-translations-l10n) and takes
// it away again, so the help control never changes the language of the rest of the program. Without
// the translation file the texts stay as Qt has them. UI thread only.

#include <QTranslator>

class FrenchQtTexts
{
public:
    FrenchQtTexts();
    ~FrenchQtTexts();
    FrenchQtTexts(const FrenchQtTexts&) = delete;
    FrenchQtTexts& operator=(const FrenchQtTexts&) = delete;

private:
    QTranslator m_Translator;
    bool m_Installed = false;
};
