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
    for (auto* v : {&x, &y, &z, &mass, &vx, &vy, &vz, &ax, &ay, &az, &nvx, &nvy, &nvz, &nx, &ny,
                    &nz, &pairEnergy, &kinetic})
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
    return {
        x.data(),  y.data(),  z.data(),          mass.data(),    vx.data(),  vy.data(),  vz.data(),
        ax.data(), ay.data(), az.data(),         nvx.data(),     nvy.data(), nvz.data(), nx.data(),
        ny.data(), nz.data(), pairEnergy.data(), kinetic.data(), n,          G,          dT,
        w};
}
