// The plain loop, and the replay of the phase with a check after every operation.
#include "core/ReferenceRow.h"

#include "core/CheckedDouble.h"

void IntegrateRowsReference(IntegrationWorkspace& ws, int begin, int end) {
    for (int i = begin; i < end; ++i) {
        const RowResult<double> r = ReferenceRow<double>(ws, i);
        ws.ax[i] = r.ax;
        ws.ay[i] = r.ay;
        ws.az[i] = r.az;
        ws.nvx[i] = r.vx;
        ws.nvy[i] = r.vy;
        ws.nvz[i] = r.vz;
        ws.nx[i] = r.nx;
        ws.ny[i] = r.ny;
        ws.nz[i] = r.nz;
        ws.pairEnergy[i] = r.pairEnergy;
        ws.kinetic[i] = r.kinetic;
    }
}

FpFault FindFirstFault(const IntegrationWorkspace& ws, int firstSuspectRow) {
    // Statements run row by row; within row i the energy is added after the row's own work.
    CheckedDouble energy = 0;
    try {
        for (int i = 0; i < ws.n; ++i) {
            if (i >= firstSuspectRow) (void)ReferenceRow<CheckedDouble>(ws, i);
            energy = (energy + ws.pairEnergy[i]) + ws.kinetic[i];
        }
    } catch (const FaultFound& found) {
        return found.fault;
    }
    return FpFault::None;
}
