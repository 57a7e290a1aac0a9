// File writes done on a few threads beside the run, so that flushing each file to the disk
// does not hold up the ticks. A write is prepared on one of the threads: its files created
// and filled, not yet named. The prepared writes then take their names in the order
// posted, in groups: whichever thread finds the next write prepared names it and every
// prepared write after it under one flush of the disk and one of each folder (a group
// commit), while the other threads go on preparing. So the flushes, most of what a
// durable file costs, are shared by as many writes as are ready when a group begins, and
// the files that appear are always those of the first writes, up to the first that failed,
// and none after it. The first failure stops every write not yet begun.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "storage/FileAccess.h"

class BackgroundWrites {
  public:
    /// A write's files, written in full, in the order they take their names. They are
    /// committed together (AtomicFileWriter::CommitTogether): all of them or none.
    using Files = std::vector<std::unique_ptr<AtomicFileWriter>>;
    /// Prepares a write; may throw.
    using Prepare = std::function<Files()>;

    /// threads: writes prepared at once; queued: writes waiting to be prepared or named
    /// before Post blocks.
    BackgroundWrites(int threads, std::size_t queued);
    /// Waits for the writes already posted.
    ~BackgroundWrites();
    BackgroundWrites(const BackgroundWrites&) = delete;
    BackgroundWrites& operator=(const BackgroundWrites&) = delete;

    /// Queues a write. Blocks while the queue is full; dropped after a failure.
    void Post(Prepare prepare);
    /// True once a write has failed.
    bool failed() const;
    /// Waits until every posted write has ended, then rethrows the failure of the earliest
    /// posted write that failed, if any.
    void Finish();
    /// How many writes have failed.
    int failures() const;
    /// How many writes are prepared and wait for an earlier one to be named.
    int waitingForTurn() const;

  private:
    struct Queued {
        std::uint64_t order;
        Prepare prepare;
    };
    using Lock = std::unique_lock<std::mutex>;

    void WorkerLoop();
    bool NextWrite(Queued& next);
    void Prepared(std::uint64_t order, Files files, std::exception_ptr thrown);
    void NameInTurn(Lock& lock);
    void Failed(std::uint64_t order, std::exception_ptr failure);  // under the lock
    bool AllEnded() const;                                         // under the lock

    const std::size_t queued_;
    mutable std::mutex mutex_;
    std::condition_variable work_;  ///< a write was queued, or the writes are over
    std::condition_variable room_;  ///< a write was named, dropped or taken
    std::deque<Queued> waiting_;
    std::map<std::uint64_t, Files> prepared_;  ///< waiting for the writes before them
    std::uint64_t posted_ = 0;
    std::uint64_t nextToName_ = 0;  ///< every write before it has ended
    int preparing_ = 0;
    bool naming_ = false;  ///< a thread is naming a group
    bool stopping_ = false;
    std::map<std::uint64_t, std::exception_ptr> failures_;  ///< by the order posted
    std::vector<std::thread> workers_;
};
