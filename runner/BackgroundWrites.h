// File writes done on a few threads beside the run, so that flushing each file to the disk
// does not hold up the ticks. Writes begin in the order posted, and each may wait, before
// its file takes its name, for every earlier write to end: so the files that appear are
// always those of the first writes, up to the first that failed, and none after it. The
// first failure stops every write not yet begun.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

class BackgroundWrites {
  public:
    /// Given to each write: waits until every write posted before it has ended, and says
    /// whether all of them succeeded. When not, the write must leave no file.
    using EarlierSucceeded = std::function<bool()>;
    using Write = std::function<void(const EarlierSucceeded& earlierSucceeded)>;

    /// threads: writes under way at once; queued: writes waiting before Post blocks.
    BackgroundWrites(int threads, std::size_t queued);
    /// Waits for the writes already posted.
    ~BackgroundWrites();
    BackgroundWrites(const BackgroundWrites&) = delete;
    BackgroundWrites& operator=(const BackgroundWrites&) = delete;

    /// Queues a write, which may throw. Blocks while the queue is full; dropped after a
    /// failure.
    void Post(Write write);
    /// True once a write has thrown.
    bool failed() const;
    /// Waits until every posted write has ended, then rethrows the failure of the earliest
    /// posted write that failed, if any.
    void Finish();
    /// How many writes have thrown.
    int failures() const;

  private:
    struct Queued {
        std::uint64_t order;
        Write write;
    };

    void WorkerLoop();
    bool NextWrite(Queued& next);
    bool WaitForEarlier(std::uint64_t order);
    void Ended(std::uint64_t order);  // under the lock

    const std::size_t queued_;
    mutable std::mutex mutex_;
    std::condition_variable work_;   ///< a write was queued, or the writes are over
    std::condition_variable room_;   ///< a write was taken or ended
    std::condition_variable ended_;  ///< a write ended
    std::deque<Queued> waiting_;
    std::uint64_t posted_ = 0;
    std::uint64_t allEndedBefore_ = 0;         ///< every write before this one has ended
    std::set<std::uint64_t> endedOutOfOrder_;  ///< ended, though an earlier one runs on
    int running_ = 0;
    bool stopping_ = false;
    std::map<std::uint64_t, std::exception_ptr> failures_;  ///< by the order posted
    std::vector<std::thread> workers_;
};
