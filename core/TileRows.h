// The row kernel shared by the vector instruction sets: each lane is one row i, and j runs
// sequentially, so every lane adds its terms in j order exactly as the plain loop does.
// Ops supplies the vector type and its operations; include this only from a kernel file,
// with Ops in an anonymous namespace, so that nothing here is shared with other files.
#pragma once

#include "RowKernel.h"

template <class Ops>
class TileRows {
    using V = typename Ops::V;
    using M = typename Ops::M;

  public:
    TileRows(const RowKernelArgs& args, int row0)
        : a_(args),
          row0_(row0),
          xi_(Ops::Load(args.x + row0)),
          yi_(Ops::Load(args.y + row0)),
          zi_(Ops::Load(args.z + row0)),
          mi_(Ops::Load(args.mass + row0)),
          G_(Ops::Broadcast(args.G)),
          half_(Ops::Broadcast(0.5)),
          // The plain loop forms mass_i × G at each pair, so a lone body never forms it.
          miG_(args.n > 1 ? Ops::Mul(mi_, G_) : Ops::Broadcast(0)),
          ax_(Ops::Broadcast(0)),
          ay_(ax_),
          az_(ax_),
          pairs_(ax_) {}

    /// All pairs of the tile's rows with j, j ascending.
    void AddAllPairs() {
        const int n = a_.n;
        const int diagonalEnd = row0_ + Ops::kLanes < n ? row0_ + Ops::kLanes : n;
        for (int j = 0; j < row0_; ++j)
            AddPair(j);
        // Here some lane meets j == i, and padding lanes are rows that do not count.
        for (int j = row0_; j < diagonalEnd; ++j)
            AddPairMasked(j, Ops::PairMask(row0_, j, n));
        for (int j = diagonalEnd; j < n; ++j)
            AddPair(j);
    }

    /// Rotating-frame term, new velocities, next positions and the kinetic amount.
    void Finish() {
        const V vx0 = Ops::Load(a_.vx + row0_), vy0 = Ops::Load(a_.vy + row0_);
        const V vz0 = Ops::Load(a_.vz + row0_);
        const V w = Ops::Broadcast(a_.w), dT = Ops::Broadcast(a_.dT);
        const V ax = Ops::Add(Ops::Mul(w, vy0), ax_);
        const V ay = Ops::Sub(ay_, Ops::Mul(w, vx0));
        const V az = az_;
        const V vx = Ops::Add(Ops::Mul(ax, dT), vx0);
        const V vy = Ops::Add(Ops::Mul(ay, dT), vy0);
        const V vz = Ops::Add(Ops::Mul(az, dT), vz0);
        const V dT2 = Ops::Mul(dT, dT);
        Store(a_.ax, ax), Store(a_.ay, ay), Store(a_.az, az);
        Store(a_.nvx, vx), Store(a_.nvy, vy), Store(a_.nvz, vz);
        Store(a_.nx, StepPosition(xi_, vx, ax, dT, dT2));
        Store(a_.ny, StepPosition(yi_, vy, ay, dT, dT2));
        Store(a_.nz, StepPosition(zi_, vz, az, dT, dT2));
        const V v2 = Ops::Add(Ops::Add(Ops::Mul(vx, vx), Ops::Mul(vy, vy)), Ops::Mul(vz, vz));
        Store(a_.kinetic, Ops::Mul(Ops::Mul(v2, mi_), half_));
        Store(a_.pairEnergy, pairs_);
    }

  private:
    void AddPair(int j) {
        const V dx = Ops::Sub(Ops::Broadcast(a_.x[j]), xi_);
        const V dy = Ops::Sub(Ops::Broadcast(a_.y[j]), yi_);
        const V dz = Ops::Sub(Ops::Broadcast(a_.z[j]), zi_);
        const V mj = Ops::Broadcast(a_.mass[j]);
        const V r = Ops::Sqrt(SumOfSquares(dx, dy, dz));
        const V g = Ops::Div(Ops::Mul(mj, G_), Ops::Mul(r, r));
        ax_ = Ops::Add(Ops::Div(Ops::Mul(dx, g), r), ax_);
        ay_ = Ops::Add(Ops::Div(Ops::Mul(dy, g), r), ay_);
        az_ = Ops::Add(Ops::Div(Ops::Mul(dz, g), r), az_);
        pairs_ = Ops::Add(pairs_, Ops::Mul(Ops::Div(Ops::Mul(miG_, mj), r), half_));
    }

    // Lanes outside m are the self pair, whose differences are exact zeros, or padding,
    // which copies the last row and so computes that row's pair: the differences and
    // squares raise nothing of their own, and every step that could is masked.
    void AddPairMasked(int j, M m) {
        const V dx = Ops::Sub(Ops::Broadcast(a_.x[j]), xi_);
        const V dy = Ops::Sub(Ops::Broadcast(a_.y[j]), yi_);
        const V dz = Ops::Sub(Ops::Broadcast(a_.z[j]), zi_);
        const V mj = Ops::Broadcast(a_.mass[j]);
        const V r = Ops::MaskzSqrt(m, SumOfSquares(dx, dy, dz));
        const V g = Ops::MaskzDiv(m, Ops::MaskzMul(m, mj, G_), Ops::Mul(r, r));
        ax_ = Ops::MaskAdd(m, ax_, Ops::MaskzDiv(m, Ops::Mul(dx, g), r));
        ay_ = Ops::MaskAdd(m, ay_, Ops::MaskzDiv(m, Ops::Mul(dy, g), r));
        az_ = Ops::MaskAdd(m, az_, Ops::MaskzDiv(m, Ops::Mul(dz, g), r));
        const V e = Ops::MaskzDiv(m, Ops::MaskzMul(m, miG_, mj), r);
        pairs_ = Ops::MaskAdd(m, pairs_, Ops::Mul(e, half_));
    }

    static V SumOfSquares(V dx, V dy, V dz) {
        V s = Ops::Mul(dx, dx);
        s = Ops::Add(s, Ops::Mul(dy, dy));
        return Ops::Add(s, Ops::Mul(dz, dz));
    }

    // x + v t + a t² ÷ 2 in the order of the plain loop; ÷ 2 as × 0.5 is exact.
    V StepPosition(V x, V v, V a, V dT, V dT2) const {
        const V h = Ops::Mul(Ops::Mul(dT2, a), half_);
        return Ops::Add(h, Ops::Add(Ops::Mul(v, dT), x));
    }

    void Store(double* out, V v) const { Ops::Store(out + row0_, v); }

    const RowKernelArgs& a_;
    const int row0_;
    const V xi_, yi_, zi_, mi_, G_, half_, miG_;
    V ax_, ay_, az_, pairs_;
};

/// The rows [row0, row0 + Ops::kLanes).
template <class Ops>
void ComputeTile(const RowKernelArgs& args, int row0) {
    TileRows<Ops> tile(args, row0);
    tile.AddAllPairs();
    tile.Finish();
}
