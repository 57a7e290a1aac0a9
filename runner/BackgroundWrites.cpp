// A queue served by a few threads: workers wait for work and for the writes before theirs,
// the poster for room and for the end of the writes.
#include "runner/BackgroundWrites.h"

BackgroundWrites::BackgroundWrites(int threads, std::size_t queued) : queued_(queued) {
    for (int k = 0; k < threads; ++k)
        workers_.emplace_back([this] { WorkerLoop(); });
}

BackgroundWrites::~BackgroundWrites() {
    {
        std::unique_lock lock(mutex_);
        room_.wait(lock, [&] { return waiting_.empty() && running_ == 0; });
        stopping_ = true;
    }
    work_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

void BackgroundWrites::Post(Write write) {
    {
        std::unique_lock lock(mutex_);
        room_.wait(lock, [&] { return !failures_.empty() || waiting_.size() < queued_; });
        if (!failures_.empty()) return;
        waiting_.push_back({posted_++, std::move(write)});
    }
    work_.notify_one();
}

bool BackgroundWrites::failed() const {
    std::lock_guard lock(mutex_);
    return !failures_.empty();
}

int BackgroundWrites::failures() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(failures_.size());
}

void BackgroundWrites::Finish() {
    std::unique_lock lock(mutex_);
    room_.wait(lock, [&] { return waiting_.empty() && running_ == 0; });
    if (!failures_.empty()) std::rethrow_exception(failures_.begin()->second);
}

// Takes the next write to run, counted as running; false when the writes are over. Writes
// are taken in the order posted, so every earlier write is running or has ended.
bool BackgroundWrites::NextWrite(Queued& next) {
    std::unique_lock lock(mutex_);
    work_.wait(lock, [&] { return stopping_ || !waiting_.empty(); });
    if (waiting_.empty()) return false;
    next = std::move(waiting_.front());
    waiting_.pop_front();
    ++running_;
    lock.unlock();
    room_.notify_one();
    return true;
}

// The earliest write still running never waits here, so the wait always ends. A failure
// before this write ends it at once: this write's file is not to appear in any case.
bool BackgroundWrites::WaitForEarlier(std::uint64_t order) {
    std::unique_lock lock(mutex_);
    auto earlierFailed = [&] { return !failures_.empty() && failures_.begin()->first < order; };
    ended_.wait(lock, [&] { return allEndedBefore_ == order || earlierFailed(); });
    return !earlierFailed();
}

void BackgroundWrites::Ended(std::uint64_t order) {
    endedOutOfOrder_.insert(order);
    while (!endedOutOfOrder_.empty() && *endedOutOfOrder_.begin() == allEndedBefore_) {
        endedOutOfOrder_.erase(endedOutOfOrder_.begin());
        ++allEndedBefore_;
    }
}

void BackgroundWrites::WorkerLoop() {
    for (Queued next; NextWrite(next);) {
        std::exception_ptr thrown;
        try {
            next.write([this, order = next.order] { return WaitForEarlier(order); });
        } catch (...) {
            thrown = std::current_exception();
        }
        {
            std::lock_guard lock(mutex_);
            --running_;
            Ended(next.order);
            if (thrown) {
                failures_.emplace(next.order, thrown);
                // Nothing later is begun once a write has failed; the writes dropped count
                // as ended, so that no write waits for them.
                for (const Queued& dropped : waiting_)
                    Ended(dropped.order);
                waiting_.clear();
            }
        }
        ended_.notify_all();
        room_.notify_all();
    }
}
