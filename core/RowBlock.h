// The computation of a row block for any vector instruction set (Ops): one row per lane, j
// in order as in the plain loop. Included only by the kernel files, Ops in an anonymous namespace.
#pragma once

#include <cstring>

#include "core/RowBlockKernel.h"

// a ÷ b from y = RN(1 ÷ b), the same double as the division while every operand stays
// normal (Markstein's theorem; docs/ARCHITECTURE.md): only for bodies in the window of
// IntegrationWorkspace::Load. r = 0 raises the fault flag that sends the block to the replay.
template <class Ops, class V = typename Ops::V>
V CorrectedQuotient(V a, V b, V y) {
    const V q0 = a * y;
    const V residual = Ops::NegativeMultiplyAdd(q0, b, a);  // a − q0 × b, exact
    return Ops::MultiplyAdd(residual, y, q0);               // q0 + residual × y
}

// How a pair's energy amount goes onto the integer grid of the running sum (see AddToGrid).
enum class Grid {
    Full,  // any amount: clamped first, and its sign checked
    Lean,  // a pair of bodies in the window whose amounts are all ≥ 0 (see LeanRows)
};

// A pair of the window has quotients of at most 2^707 (IntegrationWorkspace.cpp), so in a row
// whose grid scale is at most this, its doubled amount times the halved scale stays below
// 2^1006 units: finite without the clamp.
inline constexpr double kLeanScaleLimit = 0x1p300;

template <class Ops, bool kCorrected>
class RowBlock {
    using V = typename Ops::V;
    using M = typename Ops::M;

  public:
    RowBlock(const RowBlockArgs& args, int row0)
        : a_(args),
          row0_(row0),
          xi_(Load(args.x + row0)),
          yi_(Load(args.y + row0)),
          zi_(Load(args.z + row0)),
          mi_(Load(args.mass + row0)),
          half_(Ops::Broadcast(0.5)),
          // The plain loop forms mass_i × G at each pair, so a lone body never forms it.
          miG_(args.n > 1 ? mi_ * Ops::Broadcast(args.G) : Ops::Broadcast(0)),
          // Pair and kinetic amounts reach the grid doubled (see AddToGrid): halving the scale
          // and doubling the limit are exact, both being powers of two well inside the range.
          scale_(Load(args.gridScale + row0) * half_),
          limit_(Load(args.gridLimit + row0) * Ops::Broadcast(2)),
          negativeLimit_(Ops::Broadcast(0) - limit_),
          twoTo52_(Ops::Broadcast(0x1p52)),
          amounts_(args.blockAmounts[row0 / Ops::kLanes]),
          rowsInWindow_(AllInWindow(args.inCorrectionWindow + row0)),
          leanRows_(rowsInWindow_ && args.nonNegativeAmounts && ScalesAreLean()),
          ax_(Ops::Broadcast(0)),
          ay_(ax_),
          az_(ax_),
          doubledPairs_(ax_),
          gridSum_(ax_),
          gridLowest_(ax_),
          gridWorstRounding_(ax_) {}

    /// All pairs of the block's rows with j, j ascending.
    void AddAllPairs() {
        if (leanRows_)
            AddAllPairs<Grid::Lean>();
        else
            AddAllPairs<Grid::Full>();
    }

    /// Rotating-frame term, new velocities, next positions and the kinetic amount.
    void Finish() {
        const V vx0 = Load(a_.vx + row0_), vy0 = Load(a_.vy + row0_);
        const V vz0 = Load(a_.vz + row0_);
        const V w = Ops::Broadcast(a_.w), dT = Ops::Broadcast(a_.dT);
        const V ax = w * vy0 + ax_;
        const V ay = ay_ - w * vx0;
        const V az = az_;
        const V vx = ax * dT + vx0;
        const V vy = ay * dT + vy0;
        const V vz = az * dT + vz0;
        const V dT2 = dT * dT;
        Store(a_.ax, ax), Store(a_.ay, ay), Store(a_.az, az);
        Store(a_.nvx, vx), Store(a_.nvy, vy), Store(a_.nvz, vz);
        Store(a_.nx, StepPosition(xi_, vx, ax, dT, dT2));
        Store(a_.ny, StepPosition(yi_, vy, ay, dT, dT2));
        Store(a_.nz, StepPosition(zi_, vz, az, dT, dT2));
        const V doubledKinetic = ((vx * vx + vy * vy) + vz * vz) * mi_;
        AddToGrid<Grid::Full>(doubledKinetic);
        Store(a_.kinetic, doubledKinetic * half_);
        // Only a prediction of the next phase's running sums reads this.
        Store(a_.rowPairSum, doubledPairs_ * half_);
        Store(a_.gridSum, gridSum_);
        Store(a_.gridLowest, gridLowest_);
        Store(a_.gridWorstRounding, gridWorstRounding_);
    }

  private:
    // What the three kinds of pair share: the differences, the squared distance, and mass_j,
    // with mass_j × G formed once for the phase (IntegrationWorkspace::massG).
    struct Opened {
        V dx, dy, dz, squares, mj, mjG;
    };

    template <Grid kGrid>
    void AddAllPairs() {
        const int n = a_.n;
        const int diagonalEnd = row0_ + Ops::kLanes < n ? row0_ + Ops::kLanes : n;
        for (int j = 0; j < row0_; ++j)
            AddPairEitherWay<kGrid>(j);
        // Here some lane meets j == i, and padding lanes are rows that do not count.
        for (int j = row0_; j < diagonalEnd; ++j)
            AddPairMasked(j, Ops::PairMask(row0_, j, n));
        for (int j = diagonalEnd; j < n; ++j)
            AddPairEitherWay<kGrid>(j);
    }

    static bool AllInWindow(const unsigned char* rows) {
        for (int l = 0; l < Ops::kLanes; ++l)
            if (!rows[l]) return false;
        return true;
    }

    // Every row's sum is predicted non-negative (or not at all) and small enough in grid
    // units for kLeanScaleLimit.
    bool ScalesAreLean() const {
        for (int l = 0; l < Ops::kLanes; ++l) {
            const double scale = a_.gridScale[row0_ + l];
            if (!(scale >= 0 && scale <= kLeanScaleLimit)) return false;
        }
        return true;
    }

    template <Grid kGrid>
    void AddPairEitherWay(int j) {
        const bool pairInWindow = rowsInWindow_ && a_.inCorrectionWindow[j];
        constexpr Grid kFull = Grid::Full;
        if constexpr (kCorrected) {
            if (pairInWindow) return AddPairCorrected<kGrid>(j);
            return AddPair<kFull>(j);
        } else {
            if (kGrid == Grid::Lean && pairInWindow) return AddPair<kGrid>(j);
            return AddPair<kFull>(j);
        }
    }

    Opened Open(int j) const {
        Opened p;
        p.dx = Ops::Broadcast(a_.x[j]) - xi_;
        p.dy = Ops::Broadcast(a_.y[j]) - yi_;
        p.dz = Ops::Broadcast(a_.z[j]) - zi_;
        p.squares = (p.dx * p.dx + p.dy * p.dy) + p.dz * p.dz;
        p.mj = Ops::Broadcast(a_.mass[j]);
        p.mjG = Ops::Broadcast(a_.massG[j]);
        return p;
    }

    template <Grid kGrid>
    void AddPair(int j) {
        const Opened p = Open(j);
        const V r = Ops::Sqrt(p.squares);
        const V g = p.mjG / (r * r);
        ax_ = (p.dx * g) / r + ax_;
        ay_ = (p.dy * g) / r + ay_;
        az_ = (p.dz * g) / r + az_;
        AddPairAmount<kGrid, false>(j, (miG_ * p.mj) / r);
    }

    // The pair with two true divisions instead of five: the four quotients by r and the one
    // by r × r come from the reciprocals, each corrected to the quotient itself.
    template <Grid kGrid>
    void AddPairCorrected(int j) {
        const Opened p = Open(j);
        const V r = Ops::Sqrt(p.squares);
        const V q = r * r;
        const V one = Ops::Broadcast(1);
        const V yr = one / r, yq = one / q;
        const V g = CorrectedQuotient<Ops>(p.mjG, q, yq);
        ax_ = CorrectedQuotient<Ops>(p.dx * g, r, yr) + ax_;
        ay_ = CorrectedQuotient<Ops>(p.dy * g, r, yr) + ay_;
        az_ = CorrectedQuotient<Ops>(p.dz * g, r, yr) + az_;
        AddPairAmount<kGrid, false>(j, CorrectedQuotient<Ops>(miG_ * p.mj, r, yr));
    }

    // Lanes outside m are the self pair, whose differences are exact zeros, or padding,
    // which copies the last row and so computes that row's pair: the differences and
    // squares raise nothing of their own, and every step that could is masked.
    void AddPairMasked(int j, M m) {
        const Opened p = Open(j);
        const V r = Ops::MaskzSqrt(m, p.squares);
        const V g = Ops::MaskzDiv(m, p.mjG, r * r);
        ax_ = Ops::MaskAdd(m, ax_, Ops::MaskzDiv(m, p.dx * g, r));
        ay_ = Ops::MaskAdd(m, ay_, Ops::MaskzDiv(m, p.dy * g, r));
        az_ = Ops::MaskAdd(m, az_, Ops::MaskzDiv(m, p.dz * g, r));
        // Masked-off lanes add 0 and store 0.
        AddPairAmount<Grid::Full, true>(j, Ops::MaskzDiv(m, Ops::MaskzMul(m, miG_, p.mj), r), m);
    }

    // doubled is twice the pair's amount, G m_i m_j ÷ r: the plain loop's ÷ 2 is left to the
    // grid's scale, to the row's sum and to the stored amounts, where it is exact (see
    // AddToGrid). Halving a double changes no bit but its exponent unless the result is
    // subnormal, and an amount that small is far below a unit of the grid.
    template <Grid kGrid, bool kMasked>
    void AddPairAmount(int j, V doubled, M m = M()) {
        if constexpr (kMasked)
            doubledPairs_ = Ops::MaskAdd(m, doubledPairs_, doubled);
        else
            doubledPairs_ = doubledPairs_ + doubled;
        AddToGrid<kGrid>(doubled);
        if (amounts_) {
            const V amount = doubled * half_;
            std::memcpy(amounts_ + j * Ops::kLanes, &amount, sizeof amount);
        }
    }

    // The amount in units of the last bit of the row's running sum, rounded to a whole
    // unit: what adding it to the sum adds, as long as the sum stays in its binade (see
    // SerialEnergy.h). The amount comes doubled, and the scale is halved. Clamping first
    // keeps the product finite, so that the grid never raises a flag of its own; adding and
    // taking away 2^52 rounds a value in [0, 2^52) to an integer, ties to even.
    // The lean grid needs neither the clamp nor the lowest value: its amounts are ≥ 0 and
    // finite in grid units, and one beyond the binade's limit (2^53 units) makes the row's
    // sum of units at least 2^52, which no row in its binade can take (SerialEnergy's
    // MoveOnGrid refuses it), as the clamped value would.
    template <Grid kGrid>
    void AddToGrid(V doubled) {
        V v;
        if constexpr (kGrid == Grid::Full) {
            v = Ops::Min(Ops::Max(doubled, negativeLimit_), limit_) * scale_;
            gridLowest_ = Ops::Min(gridLowest_, v);
        } else {
            v = doubled * scale_;
        }
        const V rounded = (v + twoTo52_) - twoTo52_;
        gridWorstRounding_ = Ops::Max(gridWorstRounding_, Ops::Abs(v - rounded));
        gridSum_ = gridSum_ + rounded;
    }

    // x + v t + a t² ÷ 2 in the order of the plain loop; ÷ 2 as × 0.5 is exact.
    V StepPosition(V x, V v, V a, V dT, V dT2) const {
        const V h = (dT2 * a) * half_;
        return h + (v * dT + x);
    }

    void Store(double* out, V v) const { std::memcpy(out + row0_, &v, sizeof v); }
    static V Load(const double* in) {
        V v;
        std::memcpy(&v, in, sizeof v);  // unaligned: the arrays are plain vectors of doubles
        return v;
    }

    const RowBlockArgs& a_;
    const int row0_;
    const V xi_, yi_, zi_, mi_, half_, miG_;
    const V scale_, limit_, negativeLimit_, twoTo52_;
    double* const amounts_;
    const bool rowsInWindow_;  ///< every row of the block is in the correction window
    const bool leanRows_;      ///< the block's pairs in the window may take the lean grid
    V ax_, ay_, az_, doubledPairs_;
    V gridSum_, gridLowest_, gridWorstRounding_;
};
/// out[k] = a[k] ÷ b[k] by corrected reciprocals, for k < count (a multiple of the lanes):
/// lets the tests hold the correction against the division alone.
template <class Ops>
void CorrectedQuotients(const double* a, const double* b, double* out, long count) {
    using V = typename Ops::V;
    for (long k = 0; k < count; k += Ops::kLanes) {
        V va, vb;
        std::memcpy(&va, a + k, sizeof va);
        std::memcpy(&vb, b + k, sizeof vb);
        const V q = CorrectedQuotient<Ops>(va, vb, Ops::Broadcast(1) / vb);
        std::memcpy(out + k, &q, sizeof q);
    }
}

/// a × b + c on operands the compiler cannot see, with the kernels' own operators:
/// (1 + 2^-30)(1 - 2^-30) = 1 - 2^-60 rounds to 1, so the result is 0 unless this file's
/// flags let the compiler fuse the product and the sum into one rounding.
template <class Ops>
double ContractionProbe() {
    volatile double a = 1 + 0x1p-30, b = 1 - 0x1p-30, c = -1;
    const typename Ops::V sum = Ops::Broadcast(a) * Ops::Broadcast(b) + Ops::Broadcast(c);
    double lanes[Ops::kLanes];
    std::memcpy(lanes, &sum, sizeof lanes);
    return lanes[Ops::kLanes - 1];
}

/// The rows [row0, row0 + Ops::kLanes); kCorrected takes the quotients from corrected
/// reciprocals where that is exact (Ops then has the fused multiply-add).
template <class Ops, bool kCorrected = false>
void ComputeRowBlock(const RowBlockArgs& args, int row0) {
    RowBlock<Ops, kCorrected> block(args, row0);
    block.AddAllPairs();
    block.Finish();
}
