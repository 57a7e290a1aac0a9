// The integration phase of the tick: pairwise accelerations, rotating-frame term, new
// velocities, next positions and the system energy, all or nothing.
#pragma once

#include "FpFault.h"
#include "IntegrationWorkspace.h"
#include "Store.h"

struct IntegrationResult {
    FpFault fault = FpFault::None;  ///< when not None the store is untouched
    double Energy = 0;
};

class Integrator {
public:
    /// Runs the phase on the store. On success writes accelerations, velocities and
    /// NextPos; on a floating-point fault changes nothing and names the first fault.
    IntegrationResult Integrate(Store& store);

private:
    IntegrationWorkspace ws_;
};

/// The first fault that checking after every operation would meet, given that the rows
/// before firstSuspectRow are known to compute without one; None if there is none.
FpFault FindFirstFault(const IntegrationWorkspace& ws, int firstSuspectRow);

/// Energy = (Energy + pair amounts of row i) + kinetic amount of row i, over i ascending.
/// Grouped by row so the sum is the same whatever split the rows were computed in.
double SumEnergy(const IntegrationWorkspace& ws);
