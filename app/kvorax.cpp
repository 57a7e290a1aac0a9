// kvorax: the window program. The start form comes first; "OK" hands over to the main
// window, whose timer runs the simulation.
#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/KvoraxProgram.h"
#include "display/FileDialog.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kvorax");
    // Qt's own texts (file dialog, message box buttons) in Russian, like the program's;
    // without the translation they stay in English.
    QTranslator qtTexts;
    if (qtTexts.load("qtbase_ru", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    FileDialog dialog;
    KvoraxProgram program(dialog);
    program.Start();
    return app.exec();
}
