// The integration phase: compute every row into the workspace, test the flags, then
// either commit or find the exact first fault.
#include "Integrator.h"

#include "CheckedDouble.h"
#include "ReferenceRow.h"

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

double SumEnergy(const IntegrationWorkspace& ws) {
    double energy = 0;
    for (int i = 0; i < ws.n; ++i) energy = (energy + ws.pairEnergy[i]) + ws.kinetic[i];
    return energy;
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

IntegrationResult Integrator::Integrate(Store& store) {
    ws_.Load(store);
    ClearFpFlags();
    IntegrateRowsReference(ws_, 0, ws_.n);
    const bool rowsFaulted = TestFpFault() != FpFault::None;
    const double energy = SumEnergy(ws_);
    if (TestFpFault() != FpFault::None) {
        const FpFault fault = FindFirstFault(ws_, rowsFaulted ? 0 : ws_.n);
        // A fault flagged but not reproduced would be a defect of the fast path; be safe.
        return {fault == FpFault::None ? FpFault::InvalidOperation : fault, 0};
    }
    ws_.Commit(store);
    return {FpFault::None, energy};
}
