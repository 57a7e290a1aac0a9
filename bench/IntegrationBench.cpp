// The integration phase alone, back to back, in ordered pairs per second: the plain loop,
// the fast path on one thread and on every core (the default path: one thread below the
// crossover), and AVX2 on one thread; then the same with five true divisions a pair instead
// of the corrected reciprocals, to show what the correction gives. CrossoverBench.cpp finds
// the crossover.
#include <benchmark/benchmark.h>

#include "bench/BenchClouds.h"
#include "core/Integrator.h"
#include "core/WorkerPool.h"

namespace {

void Phase(benchmark::State& state, Integrator& integrator, Store& store) {
    const IntegrationResult result = integrator.Integrate(store);
    if (result.fault != FpFault::None) state.SkipWithError("floating-point fault");
    benchmark::DoNotOptimize(result.Energy);
}

void RunPhase(benchmark::State& state, const IntegratorOptions& options) {
    const int n = static_cast<int>(state.range(0));
    Store store = DefaultCloud(n);
    Integrator integrator(options);
    // The first phase of a system also predicts the running sums of the energy; the window
    // program's ticks are the later ones.
    integrator.Integrate(store);
    for (auto _ : state)
        Phase(state, integrator, store);
    state.counters["pairs/s"] = benchmark::Counter(static_cast<double>(n) * (n - 1),
                                                   benchmark::Counter::kIsIterationInvariantRate);
    state.SetLabel(options.reference ? "plain loop"
                                     : std::string(SimdWidthName(integrator.options().width)) +
                                           " x" + std::to_string(integrator.ThreadsFor(n)) +
                                           (options.correctedReciprocals ? "" : " divisions"));
}

IntegratorOptions Plain() {
    IntegratorOptions o;
    o.reference = true;
    return o;
}

IntegratorOptions Fast(int threads, int parallelFrom = kParallelFromBodies,
                       SimdWidth width = WidestSupportedSimd()) {
    IntegratorOptions o;
    o.threads = threads;
    o.parallelFromBodies = parallelFrom;
    o.width = width;
    return o;
}

void PlainLoop(benchmark::State& s) {
    RunPhase(s, Plain());
}
void FastOneThread(benchmark::State& s) {
    RunPhase(s, Fast(1));
}
void FastAllThreads(benchmark::State& s) {
    RunPhase(s, Fast(AvailableCores()));
}
void Avx2OneThread(benchmark::State& s) {
    RunPhase(s, Fast(1, 0, SimdWidth::Avx2));
}

IntegratorOptions Divisions(IntegratorOptions o) {
    o.correctedReciprocals = false;
    return o;
}
void DivisionsOneThread(benchmark::State& s) {
    RunPhase(s, Divisions(Fast(1)));
}
void DivisionsAllThreads(benchmark::State& s) {
    RunPhase(s, Divisions(Fast(AvailableCores())));
}
void DivisionsAvx2OneThread(benchmark::State& s) {
    RunPhase(s, Divisions(Fast(1, 0, SimdWidth::Avx2)));
}

void PhaseSizes(benchmark::internal::Benchmark* b) {
    for (int n : {100, 1000, 4096, 16384})
        b->Arg(n);
    b->UseRealTime()->Unit(benchmark::kMicrosecond);
}

}  // namespace

BENCHMARK(PlainLoop)->Apply(PhaseSizes);
BENCHMARK(FastOneThread)->Apply(PhaseSizes);
BENCHMARK(FastAllThreads)->Apply(PhaseSizes);
BENCHMARK(Avx2OneThread)->Apply(PhaseSizes);
BENCHMARK(DivisionsOneThread)->Apply(PhaseSizes);
BENCHMARK(DivisionsAllThreads)->Apply(PhaseSizes);
BENCHMARK(DivisionsAvx2OneThread)->Apply(PhaseSizes);
