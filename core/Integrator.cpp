// The integration phase: compute every row into the workspace, test the flags, then
// either commit or find the exact first fault.
#include "Integrator.h"

#include <algorithm>

#include "CheckedDouble.h"
#include "ReferenceRow.h"
#include "RowTiles.h"
#include "WorkerPool.h"

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
    for (int i = 0; i < ws.n; ++i)
        energy = (energy + ws.pairEnergy[i]) + ws.kinetic[i];
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

Integrator::Integrator() : Integrator(IntegratorOptions{}) {}

Integrator::Integrator(const IntegratorOptions& options) : options_(options) {
    if (!CpuSupports(options_.width)) options_.width = WidestSupportedSimd();
    if (options_.threads <= 0) options_.threads = AvailableCores();
}

Integrator::~Integrator() = default;

int Integrator::ThreadsFor(int n) const {
    return n >= options_.parallelFromBodies ? options_.threads : 1;
}

// Each thread takes a contiguous run of tiles and tests its own flags, which are per
// thread; the first faulting row of all is where the exact search starts.
int Integrator::ComputeRowsFast() {
    const SimdWidth width = options_.width;
    const int tiles = TileCount(ws_.n, width);
    const int threads = ThreadsFor(ws_.n);
    if (threads == 1) return ComputeTiles(ws_, width, 0, tiles);
    if (!pool_) pool_ = std::make_unique<WorkerPool>(threads);
    firstFaultRow_.assign(static_cast<std::size_t>(threads), ws_.n);
    pool_->Run([&](int part) {
        const int first = tiles * part / threads, end = tiles * (part + 1) / threads;
        firstFaultRow_[static_cast<std::size_t>(part)] = ComputeTiles(ws_, width, first, end);
    });
    return *std::min_element(firstFaultRow_.begin(), firstFaultRow_.end());
}

IntegrationResult Integrator::Integrate(Store& store) {
    ws_.Load(store);
    ClearFpFlags();
    int firstSuspectRow = ws_.n;
    if (options_.reference) {
        IntegrateRowsReference(ws_, 0, ws_.n);
        if (TestFpFault() != FpFault::None) firstSuspectRow = 0;
    } else {
        firstSuspectRow = ComputeRowsFast();
    }
    ClearFpFlags();
    const double energy = SumEnergy(ws_);
    if (firstSuspectRow < ws_.n || TestFpFault() != FpFault::None) {
        const FpFault fault = FindFirstFault(ws_, firstSuspectRow);
        // A fault flagged but not reproduced would be a defect of the fast path; be safe.
        return {fault == FpFault::None ? FpFault::InvalidOperation : fault, 0};
    }
    ws_.Commit(store);
    return {FpFault::None, energy};
}
