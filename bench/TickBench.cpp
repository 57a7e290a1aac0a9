// Whole ticks with drawing on the picture, as the window program runs them; and the copy of
// the picture that each of the runner's frames starts from.
#include <benchmark/benchmark.h>

#include "bench/BenchClouds.h"
#include "core/Tick.h"
#include "display/Picture.h"
#include "display/PictureExport.h"
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

// The picture after 2000 ticks of the default cloud, as the frames of a long run see it,
// copied to one bit per pixel as each frame is.
void FrameCopy(benchmark::State& state) {
    Store store = DefaultCloud(100);
    Picture picture;
    TickView view(picture);
    Integrator integrator;
    for (int tick = 0; tick < 2000; ++tick)
        RunTick(store, view, integrator);
    for (auto _ : state)
        benchmark::DoNotOptimize(BlackAndWhiteCopy(picture.Image(), picture.Inked()));
    state.SetLabel("rows " + std::to_string(picture.Inked().top()) + ".." +
                   std::to_string(picture.Inked().bottom()));
}

}  // namespace

BENCHMARK(FrameCopy)->Unit(benchmark::kMicrosecond);
BENCHMARK(TickWithDrawing)->Arg(100)->Arg(4096)->UseRealTime()->Unit(benchmark::kMicrosecond);
