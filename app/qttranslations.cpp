#include "app/qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

bool InstallQtFrenchTranslations(QCoreApplication& application)
{
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator.get()))
        return false;
    // The application owns it from now on, for the whole run.
    translator.release()->setParent(&application);
    return true;
}
