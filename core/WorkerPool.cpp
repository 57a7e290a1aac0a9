// Start and stop of the workers; a run is published by bumping a generation counter that
// the workers wait on, and finishes when the count of busy workers drops to zero.
#include "WorkerPool.h"

#if defined(__linux__)
#include <sched.h>
#endif

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

void WorkerPool::Run(const std::function<void(int)>& part) {
    job_ = &part;
    pending_ = static_cast<int>(workers_.size());
    generation_.fetch_add(1);
    generation_.notify_all();
    part(0);
    for (int left = pending_.load(); left != 0; left = pending_.load())
        pending_.wait(left);
}

void WorkerPool::WorkerLoop(int part) {
    unsigned seen = 0;
    for (;;) {
        generation_.wait(seen);
        seen = generation_.load();
        if (stopping_) return;
        (*job_)(part);
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
