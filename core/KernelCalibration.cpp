// Row blocks computed and tested for faults, and the timing of the two ways of dividing.
#include "core/KernelCalibration.h"

#include <algorithm>
#include <limits>

#include "core/FpFault.h"

// The flags are tested once per row block: often enough to name the block that faulted,
// rarely enough to cost nothing next to its pairs. Stops at the first block that raises a
// fault flag: the exact search starts there and never reads the rows after the faulting one.
int ComputeRowBlockRange(RowBlockKernel kernel, const RowBlockArgs& args, int lanes, int first,
                         int end) {
    for (int block = first; block < end; ++block) {
        const int row0 = block * lanes;
        ClearFpFlags();
        kernel(args, row0);
        if (TestFpFault() != FpFault::None) return row0;
    }
    return args.n;
}

KernelCalibration::KernelCalibration(RowBlockKernel reciprocals, RowBlockKernel divisions)
    : kernels_{reciprocals, divisions},
      bestNsPerPair_{std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::infinity()} {}

bool KernelCalibration::done() const {
    return rounds_ >= kRounds || (rounds_ >= kMinRounds && spent_ >= kBudget);
}

// Each round runs both kernels, the one first in even rounds and the other in odd ones, so
// that a machine speeding up or slowing down over the rounds favours neither.
int KernelCalibration::Run(const RowBlockArgs& args, int lanes, int first, int end, int& next) {
    // Smaller groups where the part has too few blocks for two (many threads on few bodies).
    const long pairsPerBlock = static_cast<long>(lanes) * args.n;
    const long fit = std::max(1, (end - first) / 2);
    const int group = static_cast<int>(std::clamp(kPairsPerSample / pairsPerBlock, 1L, fit));
    const double pairsPerGroup = static_cast<double>(pairsPerBlock) * group;
    next = first;
    while (!done() && end - next >= 2 * group) {
        for (int turn = 0; turn < 2; ++turn) {
            const int way = (turn + rounds_) % 2;
            const auto start = std::chrono::steady_clock::now();
            const int faulty = ComputeRowBlockRange(kernels_[way], args, lanes, next, next + group);
            const auto time = std::chrono::steady_clock::now() - start;
            if (faulty < args.n) return faulty;
            next += group;
            spent_ += time;
            const double ns = static_cast<double>(std::chrono::nanoseconds(time).count());
            bestNsPerPair_[way] = std::min(bestNsPerPair_[way], ns / pairsPerGroup);
        }
        ++rounds_;
    }
    return args.n;
}

bool KernelCalibration::DivisionsFaster() const {
    return bestNsPerPair_[1] < kDivisionsShare * bestNsPerPair_[0];
}

RowBlockKernel KernelCalibration::Faster() const {
    return kernels_[DivisionsFaster() ? 1 : 0];
}

KernelChoice KernelCalibration::Choice() const {
    return {DivisionsFaster() ? Quotients::Divisions : Quotients::Reciprocals, ChoiceBasis::Timed,
            bestNsPerPair_[0], bestNsPerPair_[1]};
}
