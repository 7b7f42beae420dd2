#include "qt_german.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace vektrano {

bool InstallQtGermanTexts(QCoreApplication& application)
{
    // qtbase holds every text of Qt's widgets the window shows.
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_de"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace vektrano
