// The integration phase of the tick: pairwise accelerations, rotating-frame term, new
// velocities, next positions and the system energy, all or nothing. Rows, lanes, row
// blocks and kernels are described in docs/ARCHITECTURE.md.
#pragma once

#include <memory>
#include <vector>

#include "core/FpFault.h"
#include "core/IntegrationWorkspace.h"
#include "core/KernelCalibration.h"
#include "core/SerialEnergy.h"
#include "core/SimdWidth.h"
#include "core/Store.h"

class WorkerPool;

struct IntegrationResult {
    FpFault fault = FpFault::None;  ///< when not None the store is untouched
    double Energy = 0;
};

/// Below this many bodies one thread is as fast as sharing the rows: measured with
/// kvorax-bench (Crossover, with the window timer's millisecond of idle before each phase)
/// on two cores of a virtual machine whose kernel keeps a worker woken for a short phase
/// on the caller's core: at 640 bodies both take the same time, at 768 two threads take
/// 0.6 of one thread's.
inline constexpr int kParallelFromBodies = 640;

struct IntegratorOptions {
    /// The plain one-pair-at-a-time loop on the calling thread, with nothing else.
    bool reference = false;
    /// Threads of the fast path, the calling thread included; 0 means every core.
    int threads = 0;
    /// Vector width of the fast path; a width the processor lacks falls back to the widest
    /// it has.
    SimdWidth width = WidestSupportedSimd();
    /// Bodies from which the fast path spreads its rows over the threads.
    int parallelFromBodies = kParallelFromBodies;
    /// How the fast path divides; the same doubles every way.
    Quotients quotients = Quotients::Automatic;
    /// Bodies from which the automatic way times both kernels on the first such phase.
    int calibrateFromBodies = kCalibrateFromBodies;
};

class Integrator {
  public:
    /// The fast path on every core.
    Integrator();
    explicit Integrator(const IntegratorOptions& options);
    ~Integrator();

    /// Runs the phase on the store. On success writes accelerations, velocities and
    /// NextPos; on a floating-point fault changes nothing and names the first fault.
    /// Every result is the same to the bit whatever the options.
    IntegrationResult Integrate(Store& store);

    const IntegratorOptions& options() const { return options_; }
    /// The threads the fast path uses for n bodies.
    int ThreadsFor(int n) const;
    /// The way of dividing the fast path runs with now, and why.
    const KernelChoice& kernelChoice() const { return choice_; }

  private:
    IntegrationResult IntegrateReference(Store& store);
    IntegrationResult IntegrateFast(Store& store);
    IntegrationResult Resolve(Store& store, int firstSuspectRow);
    FpFault FirstFaultOfRow(int row, double energy) const;
    int ComputeRowsFast();
    int ComputeRowBlocks(RowBlockKernel kernel, int firstBlock, int endBlock, bool calibrate);
    void ChooseKernel();

    IntegratorOptions options_;
    RowBlockKernel kernel_ = nullptr;  ///< the kernel of the way chosen
    KernelChoice choice_;
    /// Until the automatic way has timed both kernels; absent when there is nothing to choose.
    std::unique_ptr<KernelCalibration> calibration_;
    IntegrationWorkspace ws_;
    SerialEnergy energy_;
    std::unique_ptr<WorkerPool> pool_;  ///< started at the first phase that uses it
    std::vector<int> firstFaultRow_;    ///< per thread, of the current phase
};
