// The plane chooser: three option buttons that write Plane at once. It is destroyed when
// the user closes it, so each later showing loads it again from Plane. The selected option
// holds the chooser's focus, so the arrow keys select the next one.
#pragma once

#include "core/Store.h"
#include "display/toolkit/Form.h"
#include "display/toolkit/OptionGroup.h"

inline const char* const kOptionCaption = "Выберите плоскость!";

class FormOption : public toolkit::Form {
  public:
    explicit FormOption(Store& store);

    /// The size of the chooser's client area in pixels, known before it is created: the
    /// design's, at least as wide as the title bar needs for the caption.
    static QSize ClientSize();

    /// Selects the option of the current Plane, if any.
    void Form_Load() override;

    void Option1_Click();
    void Option2_Click();
    void Option3_Click();

    toolkit::OptionGroup& Options() { return options_; }
    /// Gives the selected option the focus within the chooser.
    void FocusSelected() { options_.FocusSelected(); }

  private:
    Store& store_;
    toolkit::OptionGroup options_;
};
