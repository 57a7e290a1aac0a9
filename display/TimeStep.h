// The time-step buttons multiply dT by these factors; "TIME+" refuses a product beyond the
// double range instead of running on with an infinite step.
#pragma once

#include "core/UserError.h"

inline constexpr double kTimeStepUp = 1.5;
inline constexpr double kTimeStepDown = 0.667;  // not 2/3: the step drifts by design

/// dT × kTimeStepUp is not a finite number; dT stays as it was.
class TimeStepOverflow : public UserError {
  public:
    explicit TimeStepOverflow(double dT) : UserError("time step overflow"), dT_(dT) {}
    double dT() const { return dT_; }

  private:
    double dT_;
};
