// A fixed set of worker threads, started once and reused for every phase, so a phase pays
// a wake-up and not a thread start. Between runs the workers sleep in the kernel.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class WorkerPool {
  public:
    /// threads counts the calling thread, which does part 0 of every run: threads - 1
    /// workers are started.
    explicit WorkerPool(int threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int threads() const { return static_cast<int>(workers_.size()) + 1; }

    /// Runs part(k) for every k in [0, threads()), each on its own thread, and returns when
    /// all have finished. part must not throw. Nothing is allocated per run.
    template <class Part>
    void Run(const Part& part) {
        RunJob(&part, [](const void* context, int k) { (*static_cast<const Part*>(context))(k); });
    }

  private:
    using Job = void (*)(const void* context, int part);
    void RunJob(const void* context, Job job);
    void AwaitWorkers();
    void WorkerLoop(int part);

    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable started_;   ///< a run was published, or the pool stops
    std::condition_variable finished_;  ///< the last worker of a run is done
    // Guarded by mutex_:
    const void* context_ = nullptr;  ///< the callable of the current run, for job_
    Job job_ = nullptr;
    unsigned generation_ = 0;  ///< bumped to start a run
    int pending_ = 0;          ///< workers still busy with the current run
    bool stopping_ = false;
};

/// The number of cores this process may use (at least 1).
int AvailableCores();
