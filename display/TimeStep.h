// The time-step buttons multiply dT by these factors; "TIME+" refuses a product beyond the
// double range instead of running on with an infinite step.
#pragma once

#include "core/UserError.h"

inline constexpr double kTimeStepUp = 1.5;
inline constexpr double kTimeStepDown = 0.667;  // not 2/3: the step drifts by design
