// The window program as a whole: the one store, the start form, the main window and the
// hand-over between them. main() only creates it; tests create it with a scripted dialog.
#pragma once

#include "CommonDialog.h"
#include "FormDraw.h"
#include "FormSlot.h"
#include "FormStart.h"
#include "Store.h"

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
    FormSlot<FormStart> start_;
    FormSlot<FormDraw> draw_;
};
