// What the pool adds to a phase: every part busy for the same time, with the timer's
// millisecond of idle before each run, so the workers are asleep when it starts. Reported:
// the microseconds a run takes beyond its work, how long after the start of the run the
// last worker began, and how often a worker ran on the caller's core.
#include <benchmark/benchmark.h>

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "core/WorkerPool.h"

namespace {

using Clock = std::chrono::steady_clock;

void BusyFor(std::chrono::microseconds work) {
    const Clock::time_point end = Clock::now() + work;
    while (Clock::now() < end) {
    }
}

// range(0): microseconds of work per part.
void PoolRun(benchmark::State& state) {
    const std::chrono::microseconds work(state.range(0));
    WorkerPool pool(AvailableCores());
    std::vector<Clock::time_point> started(static_cast<std::size_t>(pool.threads()));
    std::vector<int> cores(static_cast<std::size_t>(pool.threads()));
    double beyond = 0, toStart = 0, sameCore = 0;
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const Clock::time_point start = Clock::now();
        pool.Run([&](int part) {
            started[static_cast<std::size_t>(part)] = Clock::now();
            cores[static_cast<std::size_t>(part)] = sched_getcpu();
            BusyFor(work);
        });
        const std::chrono::duration<double> took = Clock::now() - start;
        state.SetIterationTime(took.count());
        beyond += took.count() * 1e6 - static_cast<double>(work.count());
        const Clock::time_point last = *std::max_element(started.begin(), started.end());
        toStart += std::chrono::duration<double, std::micro>(last - start).count();
        sameCore += std::count(cores.begin() + 1, cores.end(), cores[0]) > 0;
    }
    using benchmark::Counter;
    state.counters["us beyond work"] = Counter(beyond, Counter::kAvgIterations);
    state.counters["us to start"] = Counter(toStart, Counter::kAvgIterations);
    state.counters["on caller's core"] = Counter(sameCore, Counter::kAvgIterations);
}

}  // namespace

BENCHMARK(PoolRun)
    ->ArgsProduct({{100, 1000, 20000}})
    ->ArgNames({"work_us"})
    ->UseManualTime()
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);
