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
    ChooseKernel();
}

Integrator::~Integrator() = default;

// The kernel is fixed here, or, in the automatic way with two kernels to choose from, the
// reciprocals' until the first phase of kCalibrateFromBodies or more has timed both.
void Integrator::ChooseKernel() {
    const RowBlockKernel reciprocals = KernelFor(options_.width, true);
    const RowBlockKernel divisions = KernelFor(options_.width, false);
    if (reciprocals == divisions) {
        kernel_ = divisions;
        choice_ = {Quotients::Divisions, ChoiceBasis::OnlyWay};
    } else if (options_.quotients == Quotients::Automatic) {
        kernel_ = reciprocals;
        choice_ = {Quotients::Reciprocals, ChoiceBasis::SmallPhases};
        calibration_ = std::make_unique<KernelCalibration>(reciprocals, divisions);
    } else {
        const bool corrected = options_.quotients == Quotients::Reciprocals;
        kernel_ = corrected ? reciprocals : divisions;
        choice_ = {options_.quotients, ChoiceBasis::Asked};
    }
}

int Integrator::ThreadsFor(int n) const {
    return n >= options_.parallelFromBodies ? options_.threads : 1;
}

// The blocks [firstBlock, endBlock), the first of them timed with both kernels while the
// calibration goes on. Returns the first row of a block that raised a fault flag, or n.
int Integrator::ComputeRowBlocks(RowBlockKernel kernel, int firstBlock, int endBlock,
                                 bool calibrate) {
    const RowBlockArgs args = ws_.KernelArgs();
    const int lanes = Lanes(options_.width);
    int next = firstBlock;  // the first block that the timing left uncomputed
    if (calibrate) {
        const int faulty = calibration_->Run(args, lanes, firstBlock, endBlock, next);
        if (faulty < ws_.n) return faulty;
        if (calibration_->done()) kernel = calibration_->Faster();
    }
    return ComputeRowBlockRange(kernel, args, lanes, next, endBlock);
}

// Each thread takes a contiguous run of row blocks and tests its own flags, which are per
// thread; the first faulting row of all is where the exact search starts. The calibration
// times the calling thread's part only, beside the others at work as in every phase, and
// the kernel it chooses is taken for the later blocks of that part and every later pass.
int Integrator::ComputeRowsFast() {
    const int lanes = Lanes(options_.width);
    const int blocks = (ws_.n + lanes - 1) / lanes;
    const int threads = ThreadsFor(ws_.n);
    const bool calibrate =
        calibration_ && !calibration_->done() && ws_.n >= options_.calibrateFromBodies;
    const RowBlockKernel kernel = kernel_;
    int firstFaulty = ws_.n;
    if (threads == 1) {
        firstFaulty = ComputeRowBlocks(kernel, 0, blocks, calibrate);
    } else {
        if (!pool_) pool_ = std::make_unique<WorkerPool>(threads);
        firstFaultRow_.assign(static_cast<std::size_t>(threads), ws_.n);
        pool_->Run([&](int part) {
            const int first = blocks * part / threads, end = blocks * (part + 1) / threads;
            firstFaultRow_[static_cast<std::size_t>(part)] =
                ComputeRowBlocks(kernel, first, end, calibrate && part == 0);
        });
        firstFaulty = *std::min_element(firstFaultRow_.begin(), firstFaultRow_.end());
    }
    if (calibrate && calibration_->done()) {
        kernel_ = calibration_->Faster();
        choice_ = calibration_->Choice();
        calibration_.reset();
    }
    return firstFaulty;
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
