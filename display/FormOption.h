// The plane chooser: three option buttons that write Plane at once. It is destroyed when
// the user closes it, so each later showing loads it again from Plane.
#pragma once

#include "core/Store.h"
#include "display/toolkit/Form.h"
#include "display/toolkit/OptionGroup.h"

inline const char* const kOptionCaption = "Выберите плоскость!";

class FormOption : public toolkit::Form {
  public:
    explicit FormOption(Store& store);

    /// Selects the option of the current Plane, if any.
    void Form_Load() override;

    void Option1_Click();
    void Option2_Click();
    void Option3_Click();

    toolkit::OptionGroup& Options() { return options_; }

  private:
    Store& store_;
    toolkit::OptionGroup options_;
};
