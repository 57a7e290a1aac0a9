// Wiring of the three windows.
#include "app/KvoraxProgram.h"

#include "app/Messages.h"
#include "display/toolkit/Placement.h"
#include "display/toolkit/Program.h"
#include "start/Settings.h"

namespace {

// Failures are told in a message box over the window whose command failed.
template <class F>
FailureReport ReportOver(const toolkit::FormSlot<F>& window) {
    return [&window](const UserError& failure) {
        toolkit::ShowMessage(window.Get(), Message(failure));
    };
}

// The start form opens in the middle of the screen.
template <class F>
F* Centred(F* window) {
    toolkit::CentreOnScreen(*window);
    return window;
}

// The main window too, leaving room on its right for the plane chooser where there is.
FormDraw* CentredWithTheChooser(FormDraw* window) {
    toolkit::CentreWithRoomBeside(*window, FormOption::ClientSize());
    return window;
}

}  // namespace

KvoraxProgram::KvoraxProgram(CommonDialog& dialog)
    : dialog_(dialog),
      start_([this] {
          return Centred(new FormStart(
              store_, [this] { HandOver(); }, ReportOver(start_)));
      }),
      draw_([this] {
          // Exit writes the boxes of the start form, which stays alive while hidden.
          return CentredWithTheChooser(new FormDraw(
              store_, dialog_, [this] { SaveSettings(start_.Get()->Boxes()); }, ReportOver(draw_)));
      }) {}

void KvoraxProgram::Start() {
    start_.Show();
}

void KvoraxProgram::HandOver() {
    FormDraw& draw = draw_.Show();
    // Beside the main window, whose shortcuts work at once; a platform that activates every
    // window it shows is asked to activate the main window again.
    draw.ShowPlaneChooser(toolkit::FormSlot<FormOption>::KeepFocus);
    draw.activateWindow();
}
