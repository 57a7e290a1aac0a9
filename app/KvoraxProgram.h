// The window program as a whole: the one store, the start form, the main window and the
// hand-over between them. main() only creates it; tests create it with a scripted dialog.
#pragma once

#include "core/Store.h"
#include "display/CommonDialog.h"
#include "display/FormDraw.h"
#include "display/FormStart.h"
#include "display/toolkit/FormSlot.h"

class KvoraxProgram {
  public:
    explicit KvoraxProgram(CommonDialog& dialog);

    /// Creates and shows the start form, which loads the settings file first.
    void Start();

    Store& store() { return store_; }
    FormStart* formStart() const { return start_.Get(); }
    FormDraw* formDraw() const { return draw_.Get(); }

  private:
    void HandOver();

    // The store outlives every window.
    Store store_;
    CommonDialog& dialog_;
    toolkit::FormSlot<FormStart> start_;
    toolkit::FormSlot<FormDraw> draw_;
};
