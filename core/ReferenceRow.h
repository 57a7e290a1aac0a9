// One row of the integration phase (body i against every other body, one ordered pair at
// a time, j ascending), in the plain order of operations that defines every result bit,
// with the energy as one running sum; the plain loop over rows; and the replay that names
// the first fault exactly. The row is templated on the number type so that the replay runs
// exactly this code.
#pragma once

#include "core/FpFault.h"
#include "core/IntegrationWorkspace.h"
#include "core/Kinematics.h"

template <class T>
struct RowResult {
    T ax, ay, az;  ///< acceleration
    T vx, vy, vz;  ///< velocity after the step
    T nx, ny, nz;  ///< next position
    T kinetic;     ///< kinetic amount with the new velocity
};

/// The energy amount of the ordered pair (i, j): G m_i m_j ÷ (2 r).
template <class T>
T PairAmount(const IntegrationWorkspace& ws, int i, int j) {
    const T G = ws.G, mi = ws.mass[i], mj = ws.mass[j];
    const T r = Distance<T>(ws.x[i], ws.x[j], ws.y[i], ws.y[j], ws.z[i], ws.z[j]);
    return ((mi * G) * mj / r) / 2;
}

/// Row i; adds its pair amounts and then its kinetic amount to Energy, one by one.
template <class T>
RowResult<T> ReferenceRow(const IntegrationWorkspace& ws, int i, T& Energy) {
    const T G = ws.G, dT = ws.dT;
    const T xi = ws.x[i], yi = ws.y[i], zi = ws.z[i], mi = ws.mass[i];
    T ax = 0, ay = 0, az = 0;
    for (int j = 0; j < ws.n; ++j) {
        if (j == i) continue;
        const T xj = ws.x[j], yj = ws.y[j], zj = ws.z[j], mj = ws.mass[j];
        const T r = Distance(xi, xj, yi, yj, zi, zj);
        const T g = GravityAccel(r, mj, G);
        ax = ((xj - xi) * g) / r + ax;
        ay = ((yj - yi) * g) / r + ay;
        az = ((zj - zi) * g) / r + az;
        Energy = ((mi * G) * mj / r) / 2 + Energy;
    }
    // Coriolis term of the frame turning about z, from the velocity before the update.
    const T vx0 = ws.vx[i], vy0 = ws.vy[i], vz0 = ws.vz[i];
    const T w = T(ws.No) * T(kFrameFactor);
    ax = w * vy0 + ax;
    ay = ay - w * vx0;
    const T vx = StepVelocity(vx0, ax, dT);
    const T vy = StepVelocity(vy0, ay, dT);
    const T vz = StepVelocity(vz0, az, dT);
    // The position advances with the velocity already updated.
    const T nx = StepPosition(xi, vx, ax, dT);
    const T ny = StepPosition(yi, vy, ay, dT);
    const T nz = StepPosition(zi, vz, az, dT);
    const T kinetic = (((vx * vx + vy * vy) + vz * vz) * mi) / 2;
    Energy = kinetic + Energy;
    return {ax, ay, az, vx, vy, vz, nx, ny, nz, kinetic};
}

/// Rows [begin, end) with plain doubles, results into the workspace, the energy running on
/// from Energy. Stops at the first row that raises a fault flag and returns it, with Energy
/// as it was when that row started; returns end when none did.
int IntegrateRowsReference(IntegrationWorkspace& ws, int begin, int end, double& Energy);

/// The first fault that checking after every operation would meet from row firstRow on,
/// with the running energy Energy when that row starts; None if there is none.
FpFault FindFirstFault(const IntegrationWorkspace& ws, int firstRow, double Energy);

/// StepVelocity's a × t + v on operands the compiler cannot see, built with the plain loop's
/// flags: 0 unless the product and the sum are fused (see ContractionProbe in RowBlock.h).
double ContractionProbeReference();
