#include "app/ProgramLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void SetProgramLocale() {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
}

bool InstallQtTranslations(QCoreApplication &application) {
    auto *translator = new QTranslator(&application);
    if (!translator->load(QLocale(), u"qtbase"_qs, u"_"_qs,
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        qWarning("Qt's Japanese translations (qtbase_ja.qm) are missing");
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}
