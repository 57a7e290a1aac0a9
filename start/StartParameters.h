// Converting and checking the start texts, and the start of a run from them.
#pragma once

#include "core/Store.h"
#include "core/UserError.h"
#include "start/StartTexts.h"

/// Why a start parameter cannot start a run.
enum class StartProblem {
    NotFinite,          ///< the number is beyond the double range
    CountOutOfRange,    ///< the number of stars does not round to 1..32766
    SpaceRegionIsZero,  ///< the drawing scale would divide by zero
};

/// A start parameter that cannot start a run: the box, its text as typed and the problem.
class StartParameterError : public UserError {
  public:
    StartParameterError(StartBox box, std::string text, StartProblem problem)
        : UserError("start parameter " + std::to_string(static_cast<int>(box)) + ": " + text),
          box_(box),
          text_(std::move(text)),
          problem_(problem) {}
    StartBox box() const { return box_; }
    const std::string& text() const { return text_; }
    StartProblem problem() const { return problem_; }

  private:
    StartBox box_;
    std::string text_;
    StartProblem problem_;
};

struct StartParameters {
    int N = 0;
    double Size1 = 0, Size2 = 0, M = 0, IM = 0, G = 0, dT = 0, No = 0;
};

/// The numbers of the eight texts: N rounded half to even, every number finite, N in
/// 1..32766 and Size1 not 0. Throws StartParameterError for the first box that fails.
StartParameters ConvertStartTexts(const StartTexts& texts);

/// The start of a run as "OK" does it, without the windows and the settings file:
/// re-creates the tables, sets the parameters, builds the cloud from the seed, sets both
/// planes to "xy". Throws StartParameterError (the store is then untouched) or CloudError.
void StartRun(Store& store, const StartTexts& texts, std::uint32_t seed = 0);
