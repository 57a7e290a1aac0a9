// The start form: the eight start parameters, pre-filled from the settings file, and "OK",
// which starts the run and hands over to the main window. Closing it ends the program.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <functional>

#include "core/Store.h"
#include "core/UserError.h"
#include "display/toolkit/Form.h"
#include "start/StartTexts.h"

inline const char* const kStartCaption = "Стартовые параметры.";

class FormStart : public toolkit::Form {
  public:
    /// handOver shows the main window and the plane chooser once the run is built; report
    /// tells the user of a failure.
    FormStart(Store& store, std::function<void()> handOver, FailureReport report);

    /// Fills the boxes from the settings file.
    void Form_Load() override;
    /// The start sequence; a parameter that fails its check is shown and the form stays.
    void Command1_Click();

    /// The texts of the eight boxes as they are now.
    StartTexts Boxes() const;
    QLineEdit* Box(StartBox box) const { return boxes_[static_cast<int>(box)]; }
    /// The label on the left of a box.
    QLabel* Label(StartBox box) const { return labels_[static_cast<int>(box)]; }

    QPushButton* Command1;

  protected:
    void Form_Unload() override;

  private:
    void ShowTexts(const StartTexts& texts);

    Store& store_;
    std::function<void()> handOver_;
    FailureReport report_;
    std::array<QLineEdit*, kStartBoxCount> boxes_{};
    std::array<QLabel*, kStartBoxCount> labels_{};
};
