// The integration phase alone, back to back, in ordered pairs per second: the plain loop,
// the fast path on one thread and on every core (the default path: one thread below the
// crossover, and the way of dividing chosen on this processor, which the label names with
// the timings that chose it), and AVX2 on one thread; then the same with each way forced:
// the corrected reciprocals (Corrected*, what Fast* ran before the choice, so compare Fast*
// of older commits with both) and five true divisions a pair (Divisions*). FirstPhase*
// time a new integrator's first phase, where the automatic way times both kernels, against
// each way forced. CrossoverBench.cpp finds the crossover.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench/BenchClouds.h"
#include "core/Integrator.h"
#include "core/WorkerPool.h"

namespace {

void Phase(benchmark::State& state, Integrator& integrator, Store& store) {
    const IntegrationResult result = integrator.Integrate(store);
    if (result.fault != FpFault::None) state.SkipWithError("floating-point fault");
    benchmark::DoNotOptimize(result.Energy);
}

const char* WayName(Quotients way) {
    switch (way) {
        case Quotients::Automatic:
            return "auto";
        case Quotients::Reciprocals:
            return "reciprocals";
        case Quotients::Divisions:
            return "divisions";
    }
    return "";
}

// "reciprocals", "divisions (only way)", "auto: reciprocals (small phases)" or
// "auto: divisions (0.61 vs 0.55 ns/pair)".
std::string ChoiceText(const IntegratorOptions& options, const KernelChoice& choice) {
    std::string text = WayName(choice.way);
    switch (choice.basis) {
        case ChoiceBasis::Asked:
            return text;
        case ChoiceBasis::OnlyWay:
            return text + " (only way)";
        case ChoiceBasis::SmallPhases:
            return "auto: " + text + " (small phases)";
        case ChoiceBasis::Timed:
            break;
    }
    char timings[64];
    std::snprintf(timings, sizeof timings, " (%.3g vs %.3g ns/pair)", choice.reciprocalsNsPerPair,
                  choice.divisionsNsPerPair);
    return (options.quotients == Quotients::Automatic ? "auto: " : "") + text + timings;
}

std::string Label(const IntegratorOptions& options, const Integrator& integrator, int n) {
    if (options.reference) return "plain loop";
    return std::string(SimdWidthName(integrator.options().width)) + " x" +
           std::to_string(integrator.ThreadsFor(n)) + " " +
           ChoiceText(options, integrator.kernelChoice());
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
    state.SetLabel(Label(options, integrator, n));
}

// A new integrator's first phase, each time on the same system: in the automatic way it
// times both kernels. "divisions chosen" is the share of the phases that chose them.
void RunFirstPhase(benchmark::State& state, const IntegratorOptions& options) {
    const int n = static_cast<int>(state.range(0));
    const Store start = DefaultCloud(n);
    std::string label;
    int phases = 0, divisions = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Store store = start;
        state.ResumeTiming();
        Integrator integrator(options);
        Phase(state, integrator, store);
        ++phases;
        divisions += integrator.kernelChoice().way == Quotients::Divisions;
        label = Label(options, integrator, n);
    }
    state.counters["divisions chosen"] = static_cast<double>(divisions) / phases;
    state.SetLabel(label);
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

IntegratorOptions Forced(Quotients way, IntegratorOptions o) {
    o.quotients = way;
    return o;
}
IntegratorOptions Divisions(IntegratorOptions o) {
    return Forced(Quotients::Divisions, o);
}
IntegratorOptions Corrected(IntegratorOptions o) {
    return Forced(Quotients::Reciprocals, o);
}
void CorrectedOneThread(benchmark::State& s) {
    RunPhase(s, Corrected(Fast(1)));
}
void CorrectedAllThreads(benchmark::State& s) {
    RunPhase(s, Corrected(Fast(AvailableCores())));
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

void FirstPhaseAuto(benchmark::State& s) {
    RunFirstPhase(s, Fast(1));
}
void FirstPhaseCorrected(benchmark::State& s) {
    RunFirstPhase(s, Corrected(Fast(1)));
}
void FirstPhaseDivisions(benchmark::State& s) {
    RunFirstPhase(s, Divisions(Fast(1)));
}
void FirstPhaseAutoAllThreads(benchmark::State& s) {
    RunFirstPhase(s, Fast(AvailableCores()));
}
void FirstPhaseCorrectedAllThreads(benchmark::State& s) {
    RunFirstPhase(s, Corrected(Fast(AvailableCores())));
}

void PhaseSizes(benchmark::internal::Benchmark* b) {
    for (int n : {100, 1000, 4096, 16384})
        b->Arg(n);
    b->UseRealTime()->Unit(benchmark::kMicrosecond);
}

void FirstPhaseSizes(benchmark::internal::Benchmark* b) {
    for (int n : {1000, 4096})
        b->Arg(n);
    b->UseRealTime()->Unit(benchmark::kMicrosecond);
}

}  // namespace

BENCHMARK(PlainLoop)->Apply(PhaseSizes);
BENCHMARK(FastOneThread)->Apply(PhaseSizes);
BENCHMARK(FastAllThreads)->Apply(PhaseSizes);
BENCHMARK(Avx2OneThread)->Apply(PhaseSizes);
BENCHMARK(CorrectedOneThread)->Apply(PhaseSizes);
BENCHMARK(CorrectedAllThreads)->Apply(PhaseSizes);
BENCHMARK(DivisionsOneThread)->Apply(PhaseSizes);
BENCHMARK(DivisionsAllThreads)->Apply(PhaseSizes);
BENCHMARK(DivisionsAvx2OneThread)->Apply(PhaseSizes);
BENCHMARK(FirstPhaseAuto)->Apply(FirstPhaseSizes);
BENCHMARK(FirstPhaseCorrected)->Apply(FirstPhaseSizes);
BENCHMARK(FirstPhaseDivisions)->Apply(FirstPhaseSizes);
BENCHMARK(FirstPhaseAutoAllThreads)->Apply(FirstPhaseSizes);
BENCHMARK(FirstPhaseCorrectedAllThreads)->Apply(FirstPhaseSizes);
