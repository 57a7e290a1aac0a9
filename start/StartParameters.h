// Converting and checking the start texts, and the start of a run from them.
#pragma once

#include "core/Store.h"
#include "core/UserError.h"
#include "start/StartTexts.h"

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
