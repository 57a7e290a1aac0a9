// Which way of dividing the fast path runs with. Both give the same doubles, so the choice
// is free: the automatic way times both on this processor, on row blocks the phase needs
// anyway, and keeps the faster.
#pragma once

#include <chrono>

#include "core/RowBlockKernel.h"

/// How the fast path takes a pair's quotients.
enum class Quotients {
    Automatic,    ///< the faster of the two others on this processor
    Reciprocals,  ///< two true divisions a pair, reciprocals corrected to each quotient
    Divisions,    ///< five true divisions a pair
};

/// Why the way that runs was taken.
enum class ChoiceBasis {
    Asked,        ///< the options named it
    OnlyWay,      ///< the vector width or the processor has no kernel of the other way
    SmallPhases,  ///< automatic, but no phase has yet been large enough to time
    Timed,        ///< automatic, both timed on this processor
};

struct KernelChoice {
    Quotients way = Quotients::Reciprocals;  ///< Reciprocals or Divisions
    ChoiceBasis basis = ChoiceBasis::SmallPhases;
    /// When timed: each way's fastest group of row blocks, in nanoseconds per ordered pair.
    double reciprocalsNsPerPair = 0, divisionsNsPerPair = 0;
};

/// Phases of fewer bodies take the corrected reciprocals without timing: they are short,
/// so a wrong choice costs microseconds, and the work that is the same either way weighs
/// more (on an AMD EPYC Zen 4 the reciprocals took 0.94 of the divisions' time at N = 100,
/// 0.83 at 128 and 0.79 from 256 on). The reciprocals are 1.5 to 1.8 times as fast on an
/// Intel Xeon whose divider is slow and 1.27 times on that Zen 4, and lose at most 14 % on
/// an AMD Zen 5, whose divider is fast: the better default where nothing is timed.
inline constexpr int kCalibrateFromBodies = 256;

/// Computes the row blocks [first, end) with the kernel, testing the fault flags after each
/// block. Returns the first row of the first block that raised one, or args.n.
int ComputeRowBlockRange(RowBlockKernel kernel, const RowBlockArgs& args, int lanes, int first,
                         int end);

/// Times the two kernels on alternate groups of row blocks: every block is computed once,
/// by one of them, and both give the same doubles, so timing costs only what the slower
/// kernel loses on its half of the blocks. A group holds about kPairsPerSample pairs; each
/// way keeps its fastest group, which a busy machine slows least.
class KernelCalibration {
  public:
    static constexpr int kRounds = 8;  ///< groups of each kernel at most
    static constexpr long kPairsPerSample = 16384;
    /// Timing stops once it has taken this long, after at least kMinRounds rounds: a round
    /// that the system interrupted or slowed must not decide alone. Five rounds of one block
    /// each take longer only from about 7000 bodies, whose first phase lasts a tenth of a
    /// second and more; the cost is the slower kernel's loss on half the blocks timed.
    static constexpr std::chrono::microseconds kBudget{2000};
    static constexpr int kMinRounds = 5;
    /// The divisions are taken only when their time per pair is under this share of the
    /// reciprocals': a near tie, as on a machine so busy that every group ran slowly, keeps
    /// the default.
    static constexpr double kDivisionsShare = 0.97;

    KernelCalibration(RowBlockKernel reciprocals, RowBlockKernel divisions);

    /// Computes blocks from first on, in rounds of one group per kernel, while timing goes on
    /// and two groups fit before end; next is the first block left uncomputed. Returns the
    /// first row of a block that raised a fault flag (its group is not counted), or args.n.
    int Run(const RowBlockArgs& args, int lanes, int first, int end, int& next);

    bool done() const;
    /// The faster kernel; valid once done.
    RowBlockKernel Faster() const;
    /// The way Faster runs and both timings.
    KernelChoice Choice() const;

  private:
    bool DivisionsFaster() const;

    RowBlockKernel kernels_[2];  ///< reciprocals, divisions
    double bestNsPerPair_[2];
    int rounds_ = 0;
    std::chrono::nanoseconds spent_{0};
};
