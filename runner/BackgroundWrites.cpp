// A queue served by a few threads: workers wait for work, the poster for room and for the
// end of the writes.
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

void BackgroundWrites::Post(std::function<void()> write) {
    {
        std::unique_lock lock(mutex_);
        room_.wait(lock, [&] { return failure_ || waiting_.size() < queued_; });
        if (failure_) return;
        waiting_.push_back(std::move(write));
    }
    work_.notify_one();
}

bool BackgroundWrites::failed() const {
    std::lock_guard lock(mutex_);
    return failure_ != nullptr;
}

void BackgroundWrites::Finish() {
    std::unique_lock lock(mutex_);
    room_.wait(lock, [&] { return waiting_.empty() && running_ == 0; });
    if (failure_) std::rethrow_exception(failure_);
}

// The next write to run, counted as running; empty when the writes are over.
std::function<void()> BackgroundWrites::NextWrite() {
    std::unique_lock lock(mutex_);
    work_.wait(lock, [&] { return stopping_ || !waiting_.empty(); });
    if (waiting_.empty()) return {};
    std::function<void()> write = std::move(waiting_.front());
    waiting_.pop_front();
    ++running_;
    lock.unlock();
    room_.notify_one();
    return write;
}

void BackgroundWrites::WorkerLoop() {
    while (std::function<void()> write = NextWrite()) {
        std::exception_ptr thrown;
        try {
            write();
        } catch (...) {
            thrown = std::current_exception();
        }
        {
            std::lock_guard lock(mutex_);
            --running_;
            if (thrown && !failure_) {
                failure_ = thrown;
                waiting_.clear();  // nothing later is begun once a write has failed
            }
        }
        room_.notify_one();
    }
}
