// The integration phase alone, in ordered pairs per second: the plain loop, the fast path
// on one thread and on every core; and the two fast variants at small N, where the
// crossover to the threads is read off.
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include "bench/BenchClouds.h"
#include "core/Integrator.h"
#include "core/WorkerPool.h"

namespace {

// The window program's timer leaves at least a millisecond between two phases, long enough
// for idle workers to be asleep when the next phase starts.
constexpr auto kTimerGap = std::chrono::milliseconds(1);

void Phase(benchmark::State& state, Integrator& integrator, Store& store) {
    const IntegrationResult result = integrator.Integrate(store);
    if (result.fault != FpFault::None) state.SkipWithError("floating-point fault");
    benchmark::DoNotOptimize(result.Energy);
}

void RunPhase(benchmark::State& state, const IntegratorOptions& options, bool timerGap = false) {
    const int n = static_cast<int>(state.range(0));
    Store store = DefaultCloud(n);
    Integrator integrator(options);
    // The first phase of a system also predicts the running sums of the energy; the window
    // program's ticks are the later ones.
    integrator.Integrate(store);
    for (auto _ : state) {
        if (!timerGap) {
            Phase(state, integrator, store);
            continue;
        }
        const auto start = std::chrono::steady_clock::now();
        Phase(state, integrator, store);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        std::this_thread::sleep_for(kTimerGap);
    }
    state.counters["pairs/s"] = benchmark::Counter(static_cast<double>(n) * (n - 1),
                                                   benchmark::Counter::kIsIterationInvariantRate);
    state.SetLabel(options.reference ? "plain loop"
                                     : std::string(SimdWidthName(integrator.options().width)) +
                                           " x" + std::to_string(integrator.options().threads));
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
// The threads forced on at any N, against one thread, with the timer's gap between phases
// as in the window program: the crossover.
void CrossoverOneThread(benchmark::State& s) {
    RunPhase(s, Fast(1), true);
}
void CrossoverAllThreads(benchmark::State& s) {
    RunPhase(s, Fast(AvailableCores(), 0), true);
}

void PhaseSizes(benchmark::internal::Benchmark* b) {
    for (int n : {100, 1000, 4096, 16384})
        b->Arg(n);
    b->UseRealTime()->Unit(benchmark::kMicrosecond);
}

void CrossoverSizes(benchmark::internal::Benchmark* b) {
    for (int n : {24, 32, 40, 48, 56, 64, 80, 96, 128, 256, 512})
        b->Arg(n);
    // A fixed count: the gaps would otherwise stretch small sizes to minutes.
    b->UseManualTime()->Iterations(400)->Repetitions(3)->Unit(benchmark::kMicrosecond);
}

}  // namespace

BENCHMARK(PlainLoop)->Apply(PhaseSizes);
BENCHMARK(FastOneThread)->Apply(PhaseSizes);
BENCHMARK(FastAllThreads)->Apply(PhaseSizes);
BENCHMARK(Avx2OneThread)->Apply(PhaseSizes);
BENCHMARK(CrossoverOneThread)->Apply(CrossoverSizes);
BENCHMARK(CrossoverAllThreads)->Apply(CrossoverSizes);
