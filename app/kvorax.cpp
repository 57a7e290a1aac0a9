// kvorax: the window program. The start form comes first; "OK" hands over to the main
// window, whose timer runs the simulation.
#include <QApplication>

#include "FileDialog.h"
#include "KvoraxProgram.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kvorax");
    FileDialog dialog;
    KvoraxProgram program(dialog);
    program.Start();
    return app.exec();
}
