// kvorax: the window program. The start form comes first; "OK" hands over to the main
// window, whose timer runs the simulation.
#include <malloc.h>

#include <QApplication>

#include "app/KvoraxProgram.h"
#include "display/FileDialog.h"
#include "display/toolkit/Fonts.h"
#include "display/toolkit/Language.h"

int main(int argc, char** argv) {
    // Besides the user-interface thread only Qt's helpers allocate (the X event reader, the
    // file dialog's folder reader), a little at a time; an arena of their own each kept
    // growing its reserve over a long session (2 MB in 10 minutes of Open, Save and Photo),
    // while one arena for all reuses what any of them freed.
    mallopt(M_ARENA_MAX, 1);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kvorax");
    toolkit::UseRussian();
    toolkit::UseDesignFonts();
    FileDialog dialog;
    KvoraxProgram program(dialog);
    program.Start();
    return app.exec();
}
