// Copying the store into the workspace and the results back.
#include "core/IntegrationWorkspace.h"

#include "core/SimdWidth.h"

int PaddedRows(int n) {
    return (n + kMaxLanes - 1) / kMaxLanes * kMaxLanes;
}

void IntegrationWorkspace::Load(const Store& store) {
    n = store.N();
    G = store.G;
    dT = store.dT;
    w = store.No * kFrameFactor;
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
    for (int i = 0; i < static_cast<int>(size); ++i) {
        const Body& b = store.Bodies[i < n ? i : n - 1];
        x[i] = b.x;
        y[i] = b.y;
        z[i] = b.z;
        mass[i] = b.mass;
        vx[i] = b.vx;
        vy[i] = b.vy;
        vz[i] = b.vz;
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
    a.n = n, a.G = G, a.dT = dT, a.w = w;
    return a;
}
