// Structure-of-arrays copy of what the integration phase reads from the store, and room
// for everything it writes. The phase computes into the workspace and the store is only
// changed when the whole phase succeeded, so a fault leaves the store as it was.
#pragma once

#include <vector>

#include "core/RowBlockKernel.h"
#include "core/Store.h"

/// The rotating-frame factor: twice the angular velocity per revolution frequency,
/// with the digits 4 × 3.141592654 (not the full-precision 4π).
inline constexpr double kFrameFactor = 12.566370616;

/// n rounded up to whole vectors of the widest width.
int PaddedRows(int n);

struct IntegrationWorkspace {
    int n = 0;
    double G = 0, dT = 0, No = 0;
    /// No × the rotating-frame factor, formed once for the kernels. The plain row forms it
    /// at its own statement, so that an overflow is found where that statement is.
    double w = 0;
    /// A value formed once here for the kernels raised a fault flag: the phase is then
    /// computed by the plain loop, which forms each at its statement and names the fault
    /// where it arises.
    bool hoistedFault = false;
    /// G and every mass are ≥ 0, so that no pair amount is negative.
    bool nonNegativeAmounts = false;

    // Every array holds PaddedRows(n) entries, so that vector kernels read and write whole
    // vectors. The inputs past n copy the last body: a padding lane then computes exactly
    // what that body's lane computes and raises no flag of its own.
    // Inputs: committed positions, masses and the velocities before this step; and each
    // mass × G, which the plain loop forms at every pair with that body as j.
    std::vector<double> x, y, z, mass, massG, vx, vy, vz;
    // Outputs per body: acceleration, new velocity, next position, and the kinetic amount.
    std::vector<double> ax, ay, az, nvx, nvy, nvz, nx, ny, nz, kinetic;

    // The energy on the integer grid of the running sum (see SerialEnergy.h). Inputs per
    // row: the scale ±2^(52-e) that turns an amount into units of the sum's last bit, 0
    // when the row has no prediction, and the limit 2^(e+1) that amounts are clamped to.
    std::vector<double> gridScale, gridLimit;
    // Outputs per row: the amounts in grid units, rounded and summed; the lowest of them
    // before rounding (negative: the row cannot use the grid); the largest distance of one
    // from its rounded value (0.5 is a tie, which also rules the grid out); and the row's
    // pair amounts summed plainly in j order, to predict the running sum of the next tick.
    std::vector<double> gridSum, gridLowest, gridWorstRounding, rowPairSum;
    // Per row block (row0 / lanes): where the kernel stores the block's pair amounts, amount
    // (i, j) at [j * lanes + i - row0], or nullptr when they are not needed.
    std::vector<double*> blockAmounts;
    // Per body: 1 when its coordinates and mass (and G) lie in the window in which the
    // kernels may take a pair's quotients from corrected reciprocals (see RowBlock.h).
    std::vector<unsigned char> inCorrectionWindow;

    /// Copies the store's bodies and step parameters in; reuses the arrays' capacity.
    void Load(const Store& store);
    /// Writes accelerations, new velocities and next positions back to the store.
    void Commit(Store& store) const;
    /// Pointers to the arrays for the row-block kernels.
    RowBlockArgs KernelArgs();
};
