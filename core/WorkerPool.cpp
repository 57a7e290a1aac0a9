// Start and stop of the workers. A run is published under the mutex and the sleeping
// workers are woken; the caller, its own part done, sleeps until the last worker wakes it.
// Nobody polls: a worker woken from sleep starts some 40 microseconds after the caller,
// which no poll of a few microseconds would cover (kvorax-bench, PoolRun).
#include "core/WorkerPool.h"

#if defined(__linux__)
#include <sched.h>
#endif

WorkerPool::WorkerPool(int threads) {
    for (int part = 1; part < threads; ++part)
        workers_.emplace_back([this, part] { WorkerLoop(part); });
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    started_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

void WorkerPool::RunJob(const void* context, Job job) {
    if (workers_.empty()) {
        job(context, 0);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        context_ = context;
        job_ = job;
        pending_ = static_cast<int>(workers_.size());
        ++generation_;
    }
    started_.notify_all();
    job(context, 0);
    AwaitWorkers();
}

void WorkerPool::AwaitWorkers() {
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait(lock, [this] { return pending_ == 0; });
}

void WorkerPool::WorkerLoop(int part) {
    unsigned seen = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        started_.wait(lock, [&] { return stopping_ || generation_ != seen; });
        if (stopping_) return;
        seen = generation_;
        const void* context = context_;
        const Job job = job_;
        lock.unlock();
        job(context, part);
        lock.lock();
        if (--pending_ == 0) finished_.notify_one();
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
