// The translation stays installed for the whole run.
#include "display/toolkit/QtLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace toolkit {

void UseQtRussian() {
    static QTranslator qtTexts;
    if (qtTexts.load("qtbase_ru", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
}

}  // namespace toolkit
