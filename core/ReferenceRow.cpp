// The plain loop, and the replay of the phase with a check after every operation.
#include "core/ReferenceRow.h"

#include "core/CheckedDouble.h"

int IntegrateRowsReference(IntegrationWorkspace& ws, int begin, int end, double& Energy) {
    for (int i = begin; i < end; ++i) {
        ClearFpFlags();
        double energy = Energy;
        const RowResult<double> r = ReferenceRow<double>(ws, i, energy);
        if (TestFpFault() != FpFault::None) return i;
        Energy = energy;
        ws.ax[i] = r.ax;
        ws.ay[i] = r.ay;
        ws.az[i] = r.az;
        ws.nvx[i] = r.vx;
        ws.nvy[i] = r.vy;
        ws.nvz[i] = r.vz;
        ws.nx[i] = r.nx;
        ws.ny[i] = r.ny;
        ws.nz[i] = r.nz;
        ws.kinetic[i] = r.kinetic;
    }
    return end;
}

FpFault FindFirstFault(const IntegrationWorkspace& ws, int firstRow, double Energy) {
    CheckedDouble energy = Energy;
    try {
        for (int i = firstRow; i < ws.n; ++i)
            (void)ReferenceRow<CheckedDouble>(ws, i, energy);
    } catch (const FaultFound& found) {
        return found.fault;
    }
    return FpFault::None;
}

double ContractionProbeReference() {
    volatile double a = 1 + 0x1p-30, t = 1 - 0x1p-30, v = -1;
    return StepVelocity<double>(v, a, t);
}
