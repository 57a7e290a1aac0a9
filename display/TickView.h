// The tick's hooks on a picture: the erase and draw passes, the snapshot load point and
// the texts. The runner and the main window both use it, and show its texts after a tick.
#pragma once

#include "core/Tick.h"
#include "display/NumberText.h"
#include "display/Picture.h"

class TickView : public TickHooks {
  public:
    explicit TickView(Picture& picture) : picture_(picture) {}

    void ErasePass(const Store& store) override;
    void DrawPass(const Store& store) override;
    void loadis(Store& store, const std::string& path) override;
    void ShowTexts(const Store& store, double Energy) override;

    /// Shows the texts of a tick that ended before this view was made: a resumed run's.
    void RecallTexts(std::int64_t StepCount, double Energy, double dT);

    /// A tick that halted on a fault at step: its step in the caption and the time step,
    /// the energy as the last completed tick left it.
    void ShowHalt(const Store& store, std::int64_t step);

    /// What the main window shows: the design captions before the first tick, then the
    /// texts of the last tick that reached its end or halted.
    const TickTexts& texts() const { return texts_; }
    /// The energy of the last tick that reached its end.
    double energy() const { return energy_; }

  private:
    void PlotAll(const Store& store, QRgb colour);

    Picture& picture_;
    TickTexts texts_{kDrawCaption, kEnergyLabelDesign, kTimeStepLabelDesign};
    double energy_ = 0;
};
