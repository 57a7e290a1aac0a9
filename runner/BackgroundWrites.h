// File writes done on a few threads beside the run, so that flushing each file to the disk
// does not hold up the ticks. The first failure stops every write not yet begun.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class BackgroundWrites {
  public:
    /// threads: writes under way at once; queued: writes waiting before Post blocks.
    BackgroundWrites(int threads, std::size_t queued);
    /// Waits for the writes already posted.
    ~BackgroundWrites();
    BackgroundWrites(const BackgroundWrites&) = delete;
    BackgroundWrites& operator=(const BackgroundWrites&) = delete;

    /// Queues a write, which may throw. Blocks while the queue is full; dropped after a
    /// failure.
    void Post(std::function<void()> write);
    /// True once a write has thrown.
    bool failed() const;
    /// Waits until every posted write has ended, then rethrows the first failure, if any.
    void Finish();

  private:
    void WorkerLoop();
    std::function<void()> NextWrite();

    const std::size_t queued_;
    mutable std::mutex mutex_;
    std::condition_variable work_;  ///< a write was queued, or the writes are over
    std::condition_variable room_;  ///< a write was taken or ended
    std::deque<std::function<void()>> waiting_;
    int running_ = 0;
    bool stopping_ = false;
    std::exception_ptr failure_;
    std::vector<std::thread> workers_;
};
