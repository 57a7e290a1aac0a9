// kvorax: the window program. The start form comes first; "OK" hands over to the main
// window, whose timer runs the simulation.
#include <QApplication>

#include "app/KvoraxProgram.h"
#include "display/FileDialog.h"
#include "display/toolkit/Fonts.h"
#include "display/toolkit/Language.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kvorax");
    toolkit::UseRussian();
    toolkit::UseDesignFonts();
    FileDialog dialog;
    KvoraxProgram program(dialog);
    program.Start();
    return app.exec();
}
