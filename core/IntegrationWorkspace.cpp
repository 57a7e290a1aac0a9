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

// The per-row arrays, each with the kernels' pointer to it: what Load sizes and KernelArgs
// passes on.
template <class Pointer>
struct KernelArray {
    std::vector<double> IntegrationWorkspace::*vector;
    Pointer RowBlockArgs::*pointer;
};
using W = IntegrationWorkspace;
using A = RowBlockArgs;
const KernelArray<const double*> kInputs[] = {
    {&W::x, &A::x},
    {&W::y, &A::y},
    {&W::z, &A::z},
    {&W::mass, &A::mass},
    {&W::massG, &A::massG},
    {&W::vx, &A::vx},
    {&W::vy, &A::vy},
    {&W::vz, &A::vz},
    {&W::gridScale, &A::gridScale},
    {&W::gridLimit, &A::gridLimit},
};
const KernelArray<double*> kOutputs[] = {
    {&W::ax, &A::ax},
    {&W::ay, &A::ay},
    {&W::az, &A::az},
    {&W::nvx, &A::nvx},
    {&W::nvy, &A::nvy},
    {&W::nvz, &A::nvz},
    {&W::nx, &A::nx},
    {&W::ny, &A::ny},
    {&W::nz, &A::nz},
    {&W::kinetic, &A::kinetic},
    {&W::gridSum, &A::gridSum},
    {&W::gridLowest, &A::gridLowest},
    {&W::gridWorstRounding, &A::gridWorstRounding},
    {&W::rowPairSum, &A::rowPairSum},
};

// The plain loop forms these at their statements; a flag raised here sends the phase to it.
// A lone body has no pairs, so its mass × G is never formed there.
void LoadHoistedValues(IntegrationWorkspace& ws) {
    ClearFpFlags();
    ws.w = ws.No * kFrameFactor;
    for (std::size_t i = 0; i < ws.massG.size(); ++i)
        ws.massG[i] = ws.n > 1 ? ws.mass[i] * ws.G : 0;
    ws.hoistedFault = TestFpFault() != FpFault::None;
}

}  // namespace

void IntegrationWorkspace::Load(const Store& store) {
    n = store.N();
    G = store.G;
    dT = store.dT;
    No = store.No;
    const auto size = static_cast<std::size_t>(PaddedRows(n));
    for (const auto& array : kInputs)
        (this->*array.vector).resize(size);
    for (const auto& array : kOutputs)
        (this->*array.vector).resize(size);
    inCorrectionWindow.resize(size);
    const bool GInWindow = ZeroOrBetween(G, -100, 100);
    nonNegativeAmounts = !(G < 0);
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
        nonNegativeAmounts = nonNegativeAmounts && !(b.mass < 0);
    }
    LoadHoistedValues(*this);
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
    for (const auto& array : kInputs)
        a.*array.pointer = (this->*array.vector).data();
    for (const auto& array : kOutputs)
        a.*array.pointer = (this->*array.vector).data();
    a.blockAmounts = blockAmounts.data();
    a.inCorrectionWindow = inCorrectionWindow.data();
    a.nonNegativeAmounts = nonNegativeAmounts;
    a.n = n, a.G = G, a.dT = dT, a.w = w;
    return a;
}
