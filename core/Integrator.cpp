// The integration phase: compute every row into the workspace, put the energy together,
// test the flags, then either commit or find the exact first fault.
#include "core/Integrator.h"

#include <algorithm>

#include "core/ReferenceRow.h"
#include "core/WorkerPool.h"

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
    const RowBlockKernel kernel = KernelFor(options_.width, options_.correctedReciprocals);
    const RowBlockArgs args = ws_.KernelArgs();
    const int lanes = Lanes(options_.width);
    for (int block = firstBlock; block < endBlock; ++block) {
        const int row0 = block * lanes;
        ClearFpFlags();
        kernel(args, row0);
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
    return options_.reference ? IntegrateReference(store) : IntegrateFast(store);
}

IntegrationResult Integrator::IntegrateReference(Store& store) {
    double energy = 0;
    const int faulty = IntegrateRowsReference(ws_, 0, ws_.n, energy);
    if (faulty < ws_.n) return {FirstFaultOfRow(faulty, energy), 0};
    ws_.Commit(store);
    return {FpFault::None, energy};
}

// The rows in row blocks on every thread, then the energy put together in order. Without a
// prediction of the running sums (the first phase of a system) one pass with the grid off
// gives the rows' plain sums to predict from, and a second computes the phase.
IntegrationResult Integrator::IntegrateFast(Store& store) {
    if (ws_.hoistedFault) return Resolve(store, 0);
    const int lanes = Lanes(options_.width);
    if (!energy_.Predict(ws_, lanes)) {
        const int suspect = ComputeRowsFast();
        if (suspect < ws_.n) return Resolve(store, energy_.Sum(ws_, suspect));
        energy_.PredictFromRowSums(ws_, lanes);
    }
    const int suspect = ComputeRowsFast();
    const int firstSuspectRow = energy_.Sum(ws_, suspect);
    if (firstSuspectRow < ws_.n) return Resolve(store, firstSuspectRow);
    ws_.Commit(store);
    const double energy = energy_.StartOfRow(ws_.n);
    energy_.KeepForNextPhase();
    return {FpFault::None, energy};
}

// A row raised a fault flag, in its own work or in the running sum, or a value formed once
// for the whole phase did (row 0 is then the suspect: the plain order forms it in every
// row, where row 0's earlier statements may fault first). The plain loop computes
// the rows from there in the defining order, testing the flags row by row: a flag of the
// fast path's own that the plain order does not raise is no fault, and the phase goes on
// with the plain results; otherwise the replay with a check after every operation names
// the first fault within the first row that raised one.
IntegrationResult Integrator::Resolve(Store& store, int firstSuspectRow) {
    double energy = firstSuspectRow == 0 ? 0 : energy_.StartOfRow(firstSuspectRow);
    energy_.Forget();
    const int faulty = IntegrateRowsReference(ws_, firstSuspectRow, ws_.n, energy);
    if (faulty < ws_.n) return {FirstFaultOfRow(faulty, energy), 0};
    ws_.Commit(store);
    return {FpFault::None, energy};
}

FpFault Integrator::FirstFaultOfRow(int row, double energy) const {
    const FpFault fault = FindFirstFault(ws_, row, energy);
    // The replay runs the very operations that raised the flag; were it to find none, the
    // state must still not change.
    return fault == FpFault::None ? FpFault::InvalidOperation : fault;
}
