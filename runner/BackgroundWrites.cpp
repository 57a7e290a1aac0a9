// A queue served by a few threads: workers wait for work, the poster for room and for the
// end of the writes, and the naming of a group runs on whichever worker finds it ready.
#include "runner/BackgroundWrites.h"

#include <utility>

BackgroundWrites::BackgroundWrites(int threads, std::size_t queued) : queued_(queued) {
    for (int k = 0; k < threads; ++k)
        workers_.emplace_back([this] { WorkerLoop(); });
}

BackgroundWrites::~BackgroundWrites() {
    {
        Lock lock(mutex_);
        room_.wait(lock, [&] { return AllEnded(); });
        stopping_ = true;
    }
    work_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

void BackgroundWrites::Post(Prepare prepare) {
    {
        Lock lock(mutex_);
        room_.wait(lock, [&] { return !failures_.empty() || posted_ - nextToName_ < queued_; });
        if (!failures_.empty()) return;
        waiting_.push_back({posted_++, std::move(prepare)});
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

int BackgroundWrites::waitingForTurn() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(prepared_.size());
}

void BackgroundWrites::Finish() {
    Lock lock(mutex_);
    room_.wait(lock, [&] { return AllEnded(); });
    if (!failures_.empty()) std::rethrow_exception(failures_.begin()->second);
}

bool BackgroundWrites::AllEnded() const {
    return waiting_.empty() && preparing_ == 0 && !naming_ && prepared_.empty();
}

// Takes the next write to prepare; false when the writes are over.
bool BackgroundWrites::NextWrite(Queued& next) {
    Lock lock(mutex_);
    work_.wait(lock, [&] { return stopping_ || !waiting_.empty(); });
    if (waiting_.empty()) return false;
    next = std::move(waiting_.front());
    waiting_.pop_front();
    ++preparing_;
    return true;
}

void BackgroundWrites::WorkerLoop() {
    for (Queued next; NextWrite(next);) {
        Files files;
        std::exception_ptr thrown;
        try {
            files = next.prepare();
        } catch (...) {
            thrown = std::current_exception();
        }
        next.prepare = nullptr;  // what it holds (a picture, a snapshot) is written
        Prepared(next.order, std::move(files), thrown);
    }
}

void BackgroundWrites::Prepared(std::uint64_t order, Files files, std::exception_ptr thrown) {
    Lock lock(mutex_);
    --preparing_;
    if (thrown)
        Failed(order, thrown);
    else if (failures_.empty() || failures_.begin()->first > order)
        prepared_.emplace(order, std::move(files));
    else
        files.clear();  // after a failed write: its files are not to appear
    if (!naming_) NameInTurn(lock);
    lock.unlock();
    room_.notify_all();
}

namespace {

using Write = std::pair<std::uint64_t, BackgroundWrites::Files>;

AtomicFileWriter::GroupsCommitted CommitInOrder(const std::vector<Write>& writes) {
    std::vector<std::vector<AtomicFileWriter*>> files(writes.size());
    std::vector<AtomicFileWriter::Group> groups;
    for (std::size_t k = 0; k < writes.size(); ++k) {
        for (const auto& file : writes[k].second)
            files[k].push_back(file.get());
        groups.emplace_back(files[k]);
    }
    return AtomicFileWriter::CommitGroups(groups);
}

}  // namespace

// Names the prepared writes from the next in turn on, together, until the next is not
// prepared yet. One thread at a time does this; the others go on preparing meanwhile, and
// the writes they finish during one commit's flushes are named together by the next.
void BackgroundWrites::NameInTurn(Lock& lock) {
    naming_ = true;
    while (!prepared_.empty() && prepared_.begin()->first == nextToName_) {
        std::vector<Write> ready;  // the writes in turn, each one group of files
        for (auto it = prepared_.begin();
             it != prepared_.end() && it->first == nextToName_ + ready.size();
             it = prepared_.erase(it))
            ready.emplace_back(it->first, std::move(it->second));
        const std::uint64_t first = nextToName_;
        nextToName_ += ready.size();
        lock.unlock();
        AtomicFileWriter::GroupsCommitted done;
        try {
            done = CommitInOrder(ready);
        } catch (...) {  // out of memory: reported as a failure of these writes, not a crash
            done.failure = std::current_exception();
        }
        ready.clear();  // the files not committed are removed
        lock.lock();
        if (done.failure) Failed(first + done.groups, done.failure);
        room_.notify_all();
    }
    naming_ = false;
}

// Nothing later is begun or named once a write has failed; the files of those prepared are
// removed.
void BackgroundWrites::Failed(std::uint64_t order, std::exception_ptr failure) {
    failures_.emplace(order, std::move(failure));
    waiting_.clear();
    prepared_.erase(prepared_.upper_bound(order), prepared_.end());
}
