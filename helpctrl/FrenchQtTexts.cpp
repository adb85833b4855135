#include "helpctrl/FrenchQtTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

FrenchQtTexts::FrenchQtTexts()
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (m_Translator.load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"),
                          QStringLiteral("_"), folder))
        m_Installed = QCoreApplication::installTranslator(&m_Translator);
}

FrenchQtTexts::~FrenchQtTexts()
{
    if (m_Installed)
        QCoreApplication::removeTranslator(&m_Translator);
}
