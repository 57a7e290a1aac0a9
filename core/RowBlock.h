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
          G_(Ops::Broadcast(args.G)),
          half_(Ops::Broadcast(0.5)),
          // The plain loop forms mass_i × G at each pair, so a lone body never forms it.
          miG_(args.n > 1 ? mi_ * G_ : Ops::Broadcast(0)),
          scale_(Load(args.gridScale + row0)),
          limit_(Load(args.gridLimit + row0)),
          negativeLimit_(Ops::Broadcast(0) - limit_),
          twoTo52_(Ops::Broadcast(0x1p52)),
          amounts_(args.blockAmounts[row0 / Ops::kLanes]),
          correctable_(kCorrected && AllInWindow(args.inCorrectionWindow + row0)),
          ax_(Ops::Broadcast(0)),
          ay_(ax_),
          az_(ax_),
          pairs_(ax_),
          gridSum_(ax_),
          gridLowest_(ax_),
          gridWorstRounding_(ax_) {}

    /// All pairs of the block's rows with j, j ascending.
    void AddAllPairs() {
        const int n = a_.n;
        const int diagonalEnd = row0_ + Ops::kLanes < n ? row0_ + Ops::kLanes : n;
        for (int j = 0; j < row0_; ++j)
            AddPairEitherWay(j);
        // Here some lane meets j == i, and padding lanes are rows that do not count.
        for (int j = row0_; j < diagonalEnd; ++j)
            AddPairMasked(j, Ops::PairMask(row0_, j, n));
        for (int j = diagonalEnd; j < n; ++j)
            AddPairEitherWay(j);
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
        const V v2 = (vx * vx + vy * vy) + vz * vz;
        const V kinetic = (v2 * mi_) * half_;
        AddToGrid(kinetic);
        Store(a_.kinetic, kinetic);
        Store(a_.rowPairSum, pairs_);
        Store(a_.gridSum, gridSum_);
        Store(a_.gridLowest, gridLowest_);
        Store(a_.gridWorstRounding, gridWorstRounding_);
    }

  private:
    static bool AllInWindow(const unsigned char* rows) {
        for (int l = 0; l < Ops::kLanes; ++l)
            if (!rows[l]) return false;
        return true;
    }

    void AddPairEitherWay(int j) {
        if constexpr (kCorrected) {
            if (correctable_ && a_.inCorrectionWindow[j]) return AddPairCorrected(j);
        }
        AddPair(j);
    }

    void AddPair(int j) {
        const V dx = Ops::Broadcast(a_.x[j]) - xi_;
        const V dy = Ops::Broadcast(a_.y[j]) - yi_;
        const V dz = Ops::Broadcast(a_.z[j]) - zi_;
        const V mj = Ops::Broadcast(a_.mass[j]);
        const V r = Ops::Sqrt(SumOfSquares(dx, dy, dz));
        const V g = (mj * G_) / (r * r);
        ax_ = (dx * g) / r + ax_;
        ay_ = (dy * g) / r + ay_;
        az_ = (dz * g) / r + az_;
        AddPairAmount(j, ((miG_ * mj) / r) * half_);
    }

    // The pair with two true divisions instead of five: the four quotients by r and the one
    // by r × r come from the reciprocals, each corrected to the quotient itself.
    void AddPairCorrected(int j) {
        const V dx = Ops::Broadcast(a_.x[j]) - xi_;
        const V dy = Ops::Broadcast(a_.y[j]) - yi_;
        const V dz = Ops::Broadcast(a_.z[j]) - zi_;
        const V mj = Ops::Broadcast(a_.mass[j]);
        const V r = Ops::Sqrt(SumOfSquares(dx, dy, dz));
        const V q = r * r;
        const V one = Ops::Broadcast(1);
        const V yr = one / r, yq = one / q;
        const V g = CorrectedQuotient<Ops>(mj * G_, q, yq);
        ax_ = CorrectedQuotient<Ops>(dx * g, r, yr) + ax_;
        ay_ = CorrectedQuotient<Ops>(dy * g, r, yr) + ay_;
        az_ = CorrectedQuotient<Ops>(dz * g, r, yr) + az_;
        AddPairAmount(j, CorrectedQuotient<Ops>(miG_ * mj, r, yr) * half_);
    }

    // Lanes outside m are the self pair, whose differences are exact zeros, or padding,
    // which copies the last row and so computes that row's pair: the differences and
    // squares raise nothing of their own, and every step that could is masked.
    void AddPairMasked(int j, M m) {
        const V dx = Ops::Broadcast(a_.x[j]) - xi_;
        const V dy = Ops::Broadcast(a_.y[j]) - yi_;
        const V dz = Ops::Broadcast(a_.z[j]) - zi_;
        const V mj = Ops::Broadcast(a_.mass[j]);
        const V r = Ops::MaskzSqrt(m, SumOfSquares(dx, dy, dz));
        const V g = Ops::MaskzDiv(m, Ops::MaskzMul(m, mj, G_), r * r);
        ax_ = Ops::MaskAdd(m, ax_, Ops::MaskzDiv(m, dx * g, r));
        ay_ = Ops::MaskAdd(m, ay_, Ops::MaskzDiv(m, dy * g, r));
        az_ = Ops::MaskAdd(m, az_, Ops::MaskzDiv(m, dz * g, r));
        const V e = Ops::MaskzDiv(m, Ops::MaskzMul(m, miG_, mj), r);
        AddPairAmount(j, e * half_, m);  // masked-off lanes add 0 and store 0
    }

    void AddPairAmount(int j, V amount, M m) {
        pairs_ = Ops::MaskAdd(m, pairs_, amount);
        AddToGrid(amount);
        if (amounts_) std::memcpy(amounts_ + j * Ops::kLanes, &amount, sizeof amount);
    }
    void AddPairAmount(int j, V amount) {
        pairs_ = pairs_ + amount;
        AddToGrid(amount);
        if (amounts_) std::memcpy(amounts_ + j * Ops::kLanes, &amount, sizeof amount);
    }

    // The amount in units of the last bit of the row's running sum, rounded to a whole
    // unit: what adding it to the sum adds, as long as the sum stays in its binade (see
    // SerialEnergy.h). Clamping first keeps the product finite, so that the grid never
    // raises a flag of its own; adding and taking away 2^52 rounds a value in [0, 2^52) to
    // an integer, ties to even.
    void AddToGrid(V amount) {
        const V v = Ops::Min(Ops::Max(amount, negativeLimit_), limit_) * scale_;
        const V rounded = (v + twoTo52_) - twoTo52_;
        gridWorstRounding_ = Ops::Max(gridWorstRounding_, Ops::Abs(v - rounded));
        gridLowest_ = Ops::Min(gridLowest_, v);
        gridSum_ = gridSum_ + rounded;
    }

    static V SumOfSquares(V dx, V dy, V dz) { return (dx * dx + dy * dy) + dz * dz; }

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
    const V xi_, yi_, zi_, mi_, G_, half_, miG_;
    const V scale_, limit_, negativeLimit_, twoTo52_;
    double* const amounts_;
    const bool correctable_;  ///< every row of the block is in the correction window
    V ax_, ay_, az_, pairs_;
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
