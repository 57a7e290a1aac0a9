// The system energy as the one running sum of the defining order, put together from rows
// computed in parallel; why that is exact is in docs/ARCHITECTURE.md.
#pragma once

#include <cstddef>
#include <vector>

#include "core/IntegrationWorkspace.h"

class SerialEnergy {
  public:
    /// Sets the workspace's grid scales, limits and amount stores for a phase of n rows
    /// computed `lanes` rows at a time, from the previous phase's running sums. False when
    /// there are none for this n (a first phase, another system, or after a fault): the
    /// grid is then off for every row.
    bool Predict(IntegrationWorkspace& ws, int lanes);

    /// The same, from a phase computed with the grid off: its rows' plain sums estimate the
    /// running sums.
    void PredictFromRowSums(IntegrationWorkspace& ws, int lanes);

    /// Puts rows [0, end) together in order. Returns the first row whose additions raised
    /// a fault flag (the running sum overflowed), or end.
    int Sum(const IntegrationWorkspace& ws, int end);

    /// The running sum when row i starts; row n gives the whole sum. Valid for the rows
    /// that Sum reached.
    double StartOfRow(int i) const { return start_[static_cast<std::size_t>(i)]; }

    /// Keeps this phase's running sums as the prediction of the next (after a Sum of all
    /// rows), or forgets every prediction.
    void KeepForNextPhase();
    void Forget() { predicted_.clear(); }

  private:
    void SetGrid(IntegrationWorkspace& ws) const;
    void ChooseAmountStores(IntegrationWorkspace& ws);
    double AddRowInOrder(const IntegrationWorkspace& ws, int i, double Energy);

    int lanes_ = 1;

    std::vector<double> predicted_;  ///< running sum at the start of each row, and at the end
    std::vector<double> start_;      ///< the same, of this phase
    std::vector<double> stored_;     ///< the pair amounts of the blocks the kernels store
    std::vector<double> row_;        ///< one row's amounts in order
    std::vector<bool> keep_;         ///< per block: store its pair amounts
};

/// Adds amounts[0], amounts[1], ... to Energy one by one, as Energy = amount + Energy does,
/// with whole stretches taken at once on the grid where that is exact.
double AddInOrder(double Energy, const double* amounts, std::size_t count);
