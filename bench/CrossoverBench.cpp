// Where sharing the rows starts to pay: one thread against every core, with the window
// timer's millisecond of idle before each phase, so that the workers are asleep when a
// phase begins, as in the window program.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchClouds.h"
#include "core/Integrator.h"
#include "core/WorkerPool.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kTimerGap = std::chrono::milliseconds(1);
constexpr int kRounds = 4;
constexpr int kPhasesPerRound = 60;

struct Contender {
    explicit Contender(int n, int threads) : store(DefaultCloud(n)), integrator(Options(threads)) {
        integrator.Integrate(store);  // the first phase of a system is a double one
    }
    static IntegratorOptions Options(int threads) {
        IntegratorOptions o;
        o.threads = threads;
        o.parallelFromBodies = 0;
        return o;
    }
    double PhaseMicros() {
        std::this_thread::sleep_for(kTimerGap);
        const Clock::time_point start = Clock::now();
        const IntegrationResult result = integrator.Integrate(store);
        benchmark::DoNotOptimize(result.Energy);
        return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    }
    Store store;
    Integrator integrator;
    std::vector<double> micros;
};

double Median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// Median phase times at n bodies, one thread and every core, in alternate rounds of phases:
// each contender runs a round on its own, so that the kernel sees the workers' usual load.
std::pair<double, double> Medians(int n) {
    Contender one(n, 1), all(n, AvailableCores());
    for (int round = 0; round < kRounds; ++round)
        for (Contender* c : {&one, &all})
            for (int k = 0; k < kPhasesPerRound; ++k)
                c->micros.push_back(c->PhaseMicros());
    return {Median(one.micros), Median(all.micros)};
}

// The smallest size from which every core wins at every size measured; the label lists
// each size with its time on one thread and on every core.
void Crossover(benchmark::State& state) {
    const std::vector<int> sizes = {64, 128, 256, 384, 512, 640, 768, 1024, 1536};
    for (auto _ : state) {
        std::string table;
        int from = 0;
        for (int n : sizes) {
            const auto [one, all] = Medians(n);
            char row[64];
            std::snprintf(row, sizeof row, " %d:%.0f/%.0f", n, one, all);
            table += row;
            if (all >= one)
                from = 0;
            else if (from == 0)
                from = n;
        }
        state.counters["bodies"] = from;
        state.SetLabel("threads pay from N = " + std::to_string(from) + " (N:us one/all" + table +
                       ")");
    }
}

}  // namespace

BENCHMARK(Crossover)->Iterations(1)->Unit(benchmark::kMillisecond);
