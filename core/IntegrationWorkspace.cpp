// Copying the store into the workspace and the results back.
#include "core/IntegrationWorkspace.h"

#include <cmath>

#include "core/FpFault.h"
#include "core/SimdWidth.h"

int PaddedRows(int n) {
    return (n + kMaxLanes - 1) / kMaxLanes * kMaxLanes;
}

namespace {

// 0, or a magnitude in [2^low, 2^high].
bool ZeroOrBetween(double v, int low, int high) {
    const double a = std::fabs(v);
    return a == 0 || (a >= std::ldexp(1.0, low) && a <= std::ldexp(1.0, high));
}

// Coordinates of 0 or in [2^-60, 2^120] make every nonzero difference of two of them at
// least 2^-112 (both are multiples of 2^-112) and at most 2^121, so a distance between two
// such bodies is 0 or lies in [2^-112, 2^122]. With masses and G of 0 or in [2^-150, 2^150]
// and [2^-100, 2^100], every numerator of a pair's quotients is 0 or in [2^-606, 2^595] and
// every quotient in [2^-728, 2^707]: far from underflow and overflow.
bool InCorrectionWindow(const Body& b) {
    return ZeroOrBetween(b.x, -60, 120) && ZeroOrBetween(b.y, -60, 120) &&
           ZeroOrBetween(b.z, -60, 120) && ZeroOrBetween(b.mass, -150, 150);
}

}  // namespace

void IntegrationWorkspace::Load(const Store& store) {
    n = store.N();
    G = store.G;
    dT = store.dT;
    No = store.No;
    ClearFpFlags();
    w = No * kFrameFactor;
    hoistedFault = TestFpFault() != FpFault::None;
    const auto size = static_cast<std::size_t>(PaddedRows(n));
    for (auto* v : {&x,          &y,
                    &z,          &mass,
                    &vx,         &vy,
                    &vz,         &ax,
                    &ay,         &az,
                    &nvx,        &nvy,
                    &nvz,        &nx,
                    &ny,         &nz,
                    &kinetic,    &gridScale,
                    &gridLimit,  &gridSum,
                    &gridLowest, &gridWorstRounding,
                    &rowPairSum})
        v->resize(size);
    inCorrectionWindow.resize(size);
    const bool GInWindow = ZeroOrBetween(G, -100, 100);
    for (int i = 0; i < static_cast<int>(size); ++i) {
        const Body& b = store.Bodies[i < n ? i : n - 1];
        x[i] = b.x;
        y[i] = b.y;
        z[i] = b.z;
        mass[i] = b.mass;
        vx[i] = b.vx;
        vy[i] = b.vy;
        vz[i] = b.vz;
        inCorrectionWindow[i] = GInWindow && InCorrectionWindow(b);
    }
}

void IntegrationWorkspace::Commit(Store& store) const {
    for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
        Body& b = store.Bodies[i];
        b.ax = ax[i];
        b.ay = ay[i];
        b.az = az[i];
        b.vx = nvx[i];
        b.vy = nvy[i];
        b.vz = nvz[i];
        store.NextPos[i] = Point3{nx[i], ny[i], nz[i]};
    }
}

RowBlockArgs IntegrationWorkspace::KernelArgs() {
    RowBlockArgs a;
    a.x = x.data(), a.y = y.data(), a.z = z.data(), a.mass = mass.data();
    a.vx = vx.data(), a.vy = vy.data(), a.vz = vz.data();
    a.gridScale = gridScale.data(), a.gridLimit = gridLimit.data();
    a.ax = ax.data(), a.ay = ay.data(), a.az = az.data();
    a.nvx = nvx.data(), a.nvy = nvy.data(), a.nvz = nvz.data();
    a.nx = nx.data(), a.ny = ny.data(), a.nz = nz.data();
    a.kinetic = kinetic.data(), a.gridSum = gridSum.data(), a.gridLowest = gridLowest.data();
    a.gridWorstRounding = gridWorstRounding.data();
    a.rowPairSum = rowPairSum.data();
    a.blockAmounts = blockAmounts.data();
    a.inCorrectionWindow = inCorrectionWindow.data();
    a.n = n, a.G = G, a.dT = dT, a.w = w;
    return a;
}
