// Wiring of the three windows.
#include "app/KvoraxProgram.h"

#include "start/Settings.h"

KvoraxProgram::KvoraxProgram(CommonDialog& dialog)
    : dialog_(dialog),
      start_([this] { return new FormStart(store_, [this] { HandOver(); }); }),
      draw_([this] {
          // Exit writes the boxes of the start form, which stays alive while hidden.
          return new FormDraw(store_, dialog_, [this] { SaveSettings(start_.Get()->Boxes()); });
      }) {}

void KvoraxProgram::Start() {
    start_.Show();
}

void KvoraxProgram::HandOver() {
    draw_.Show();
    draw_.Get()->ShowPlaneChooser();
}
