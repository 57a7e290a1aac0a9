// Whole ticks with drawing on the picture, as the window program runs them.
#include <benchmark/benchmark.h>

#include "bench/BenchClouds.h"
#include "core/Tick.h"
#include "display/Picture.h"
#include "display/TickView.h"

namespace {

void TickWithDrawing(benchmark::State& state) {
    Store store = DefaultCloud(static_cast<int>(state.range(0)));
    Picture picture;
    TickView view(picture);
    Integrator integrator;
    RunTick(store, view, integrator);  // the first tick of a system does more, once
    for (auto _ : state) {
        const TickOutcome outcome = RunTick(store, view, integrator);
        if (outcome.fault != FpFault::None) state.SkipWithError("floating-point fault");
    }
    state.counters["ticks/s"] =
        benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK(TickWithDrawing)->Arg(100)->Arg(4096)->UseRealTime()->Unit(benchmark::kMicrosecond);
