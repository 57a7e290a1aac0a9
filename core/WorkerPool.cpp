// Start and stop of the workers; a run is published by bumping a generation counter that
// the workers wait on, and finishes when the count of busy workers drops to zero.
#include "core/WorkerPool.h"

#include <chrono>

#if defined(__linux__)
#include <sched.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

// On the virtual machines this runs on, waking a thread that sleeps in the kernel takes
// tens of microseconds, and milliseconds once its core has gone idle: more than a whole
// phase. So both sides poll for a while before they sleep. A worker polls across the gap
// between two ticks of the window's timer; the caller only while the workers finish.
constexpr auto kWorkerPollsFor = std::chrono::milliseconds(2);
constexpr auto kCallerPollsFor = std::chrono::microseconds(200);

// Polls, yielding to any other thread on this core, until value is no longer old or the
// time is up, then sleeps until it changes. Returns the new value.
template <class T>
T AwaitChange(const std::atomic<T>& value, T old, Clock::duration pollFor) {
    const Clock::time_point deadline = Clock::now() + pollFor;
    T now;
    while ((now = value.load()) == old) {
        if (Clock::now() < deadline)
            std::this_thread::yield();
        else
            value.wait(old);
    }
    return now;
}

}  // namespace

WorkerPool::WorkerPool(int threads) {
    for (int part = 1; part < threads; ++part)
        workers_.emplace_back([this, part] { WorkerLoop(part); });
}

WorkerPool::~WorkerPool() {
    stopping_ = true;
    generation_.fetch_add(1);
    generation_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

void WorkerPool::RunJob(const void* context, Job job) {
    context_ = context;
    job_ = job;
    pending_ = static_cast<int>(workers_.size());
    generation_.fetch_add(1);
    generation_.notify_all();
    job(context, 0);
    for (int left = pending_.load(); left != 0;)
        left = AwaitChange(pending_, left, kCallerPollsFor);
}

void WorkerPool::WorkerLoop(int part) {
    unsigned seen = 0;
    for (;;) {
        seen = AwaitChange(generation_, seen, kWorkerPollsFor);
        if (stopping_) return;
        job_(context_, part);
        if (pending_.fetch_sub(1) == 1) pending_.notify_one();
    }
}

int AvailableCores() {
#if defined(__linux__)
    // The cores this process may run on, which a container or taskset can narrow.
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return CPU_COUNT(&set);
#endif
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(cores);
}
