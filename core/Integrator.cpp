// The integration phase: compute every row into the workspace, test the flags, then
// either commit or find the exact first fault.
#include "core/Integrator.h"

#include <algorithm>

#include "core/ReferenceRow.h"
#include "core/WorkerPool.h"

double SumEnergy(const IntegrationWorkspace& ws) {
    double energy = 0;
    for (int i = 0; i < ws.n; ++i)
        energy = (energy + ws.pairEnergy[i]) + ws.kinetic[i];
    return energy;
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

// The flags are tested once per row block: often enough to name the block that faulted,
// rarely enough to cost nothing next to its pairs. Stops at the first block that raises a
// fault flag and returns its first row, or n when none did: the exact search starts there
// and never reads the rows after the faulting one.
int Integrator::ComputeRowBlocks(int firstBlock, int endBlock) {
    const RowBlockKernel kernel = KernelFor(options_.width);
    const RowBlockArgs args = ws_.KernelArgs();
    const int lanes = Lanes(options_.width);
    for (int block = firstBlock; block < endBlock; ++block) {
        const int row0 = block * lanes;
        ClearFpFlags();
        if (kernel)
            kernel(args, row0);
        else
            IntegrateRowsReference(ws_, row0, row0 + 1);
        if (TestFpFault() != FpFault::None) return row0;
    }
    return ws_.n;
}

// Each thread takes a contiguous run of row blocks and tests its own flags, which are per
// thread; the first faulting row of all is where the exact search starts.
int Integrator::ComputeRowsFast() {
    const int lanes = Lanes(options_.width);
    const int blocks = (ws_.n + lanes - 1) / lanes;
    const int threads = ThreadsFor(ws_.n);
    if (threads == 1) return ComputeRowBlocks(0, blocks);
    if (!pool_) pool_ = std::make_unique<WorkerPool>(threads);
    firstFaultRow_.assign(static_cast<std::size_t>(threads), ws_.n);
    pool_->Run([&](int part) {
        const int first = blocks * part / threads, end = blocks * (part + 1) / threads;
        firstFaultRow_[static_cast<std::size_t>(part)] = ComputeRowBlocks(first, end);
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
