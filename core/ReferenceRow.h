// One row of the integration phase (body i against every other body, one ordered pair at
// a time, j ascending), in the plain order of operations that defines every result bit;
// the plain loop over rows; and the replay that names the first fault exactly. The row is
// templated on the number type so that the replay runs exactly this code.
#pragma once

#include "core/FpFault.h"
#include "core/IntegrationWorkspace.h"
#include "core/Kinematics.h"

template <class T>
struct RowResult {
    T ax, ay, az;  ///< acceleration
    T vx, vy, vz;  ///< velocity after the step
    T nx, ny, nz;  ///< next position
    T pairEnergy;  ///< the row's pair amounts, summed in j order from 0
    T kinetic;     ///< kinetic amount with the new velocity
};

template <class T>
RowResult<T> ReferenceRow(const IntegrationWorkspace& ws, int i) {
    const T G = ws.G, dT = ws.dT, w = ws.w;
    const T xi = ws.x[i], yi = ws.y[i], zi = ws.z[i], mi = ws.mass[i];
    T ax = 0, ay = 0, az = 0, pairs = 0;
    for (int j = 0; j < ws.n; ++j) {
        if (j == i) continue;
        const T xj = ws.x[j], yj = ws.y[j], zj = ws.z[j], mj = ws.mass[j];
        const T r = Distance(xi, xj, yi, yj, zi, zj);
        const T g = GravityAccel(r, mj, G);
        ax = ((xj - xi) * g) / r + ax;
        ay = ((yj - yi) * g) / r + ay;
        az = ((zj - zi) * g) / r + az;
        pairs = pairs + ((mi * G) * mj / r) / 2;
    }
    // Coriolis term of the frame turning about z, from the velocity before the update.
    const T vx0 = ws.vx[i], vy0 = ws.vy[i], vz0 = ws.vz[i];
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
    return {ax, ay, az, vx, vy, vz, nx, ny, nz, pairs, kinetic};
}

/// Rows [begin, end) with plain doubles, results into the workspace.
void IntegrateRowsReference(IntegrationWorkspace& ws, int begin, int end);

/// The first fault that checking after every operation would meet, given that the rows
/// before firstSuspectRow are known to compute without one; None if there is none.
FpFault FindFirstFault(const IntegrationWorkspace& ws, int firstSuspectRow);
