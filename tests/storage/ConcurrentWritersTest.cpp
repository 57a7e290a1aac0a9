// Two writers of one target on a file system without unnamed files: neither removes the
// other's temporary, so both succeed and the target holds one complete version.
#include <gtest/gtest.h>

#include <barrier>
#include <condition_variable>
#include <fstream>
#include <future>
#include <mutex>
#include <thread>

#include "core/FileError.h"
#include "storage/FileAccess.h"
#include "storage/StaleTemporaries.h"
#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WriteFaults.h"

namespace {

// Holds the writer of one thread between the creation of its temporary and its lock.
class PauseBeforeLock {
  public:
    explicit PauseBeforeLock(std::thread::id paused) : paused_(paused) {
        SetWriteFaultForTesting([this](const WriteAttempt& attempt) {
            if (attempt.step == WriteStep::LockTemporary && std::this_thread::get_id() == paused_) {
                std::unique_lock lock(mutex_);
                reached_ = true;
                changed_.notify_all();
                changed_.wait(lock, [this] { return released_; });
            }
            return WithoutUnnamedFiles(attempt);
        });
    }
    ~PauseBeforeLock() {
        Release();
        SetWriteFaultForTesting(nullptr);
    }
    PauseBeforeLock(const PauseBeforeLock&) = delete;
    PauseBeforeLock& operator=(const PauseBeforeLock&) = delete;

    void WaitUntilReached() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return reached_; });
    }
    void Release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

  private:
    std::thread::id paused_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool reached_ = false, released_ = false;
};

std::string Version(int round, char writer) {
    return std::string(4096 + round, writer) + std::to_string(round);
}

}  // namespace

TEST(ConcurrentWriters, ATemporaryBetweenItsCreationAndItsLockIsNotRemoved) {
    TempFolder folder;
    const std::string path = folder.path("a.kvx");
    std::promise<std::thread::id> firstId;
    std::promise<void> go;
    std::future<void> started = go.get_future();
    auto first = std::async(std::launch::async, [&] {
        firstId.set_value(std::this_thread::get_id());
        started.wait();
        WriteFileAtomically(path, "first", 5);  // throws when its temporary was removed
    });
    PauseBeforeLock pause(firstId.get_future().get());
    go.set_value();
    pause.WaitUntilReached();
    ASSERT_EQ(folder.entries().size(), 1u);  // the first writer's temporary, not locked yet
    // The second writer starts by removing temporaries no writer holds, and must not
    // take this one for such; nor may it wait for the first writer.
    auto second = std::async(std::launch::async, [&] { WriteFileAtomically(path, "second", 6); });
    ASSERT_EQ(second.wait_for(std::chrono::seconds(20)), std::future_status::ready)
        << "the second writer waits for the first";
    EXPECT_NO_THROW(second.get());
    EXPECT_EQ(ReadAll(path), "second");
    pause.Release();
    EXPECT_NO_THROW(first.get());
    EXPECT_EQ(ReadAll(path), "first");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"a.kvx"});
}

TEST(ConcurrentWriters, TwoWritersAThousandRoundsEachSucceedAndOneVersionRemains) {
    TempFolder folder;
    const std::string path = folder.path("a.kvx");
    SetWriteFaultForTesting(WithoutUnnamedFiles);
    constexpr int kRounds = 1000;
    std::barrier roundStart(2);
    int failures = 0, mixed = 0;
    std::mutex counts;
    auto writer = [&](char name) {
        for (int round = 0; round < kRounds; ++round) {
            roundStart.arrive_and_wait();  // both start each round together
            const std::string version = Version(round, name);
            try {
                WriteFileAtomically(path, version.data(), version.size(), Durability::AtTheEnd);
            } catch (const FileError&) {
                std::lock_guard lock(counts);
                ++failures;
            }
            roundStart.arrive_and_wait();  // both done: the file is checked in between
            if (name == 'a') {
                const std::string held = ReadAll(path);
                if (held != Version(round, 'a') && held != Version(round, 'b')) ++mixed;
            }
        }
    };
    std::thread b(writer, 'b');
    writer('a');
    b.join();
    SetWriteFaultForTesting(nullptr);
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(mixed, 0);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"a.kvx"});
}

TEST(ConcurrentWriters, ARunsFolderLosesTheTemporariesOfEndedWritersOnly) {
    TempFolder folder;
    const std::vector<std::string> stale = {".frame-000010.png.abcdefgh.tmp",
                                            ".step-000010.kvx.0123456z.tmp"};
    for (const std::string& name : stale)
        std::ofstream(folder.path(name)) << "x";
    std::ofstream(folder.path("frame-000010.png")) << "x";
    std::ofstream(folder.path(".hidden.tmp")) << "x";  // not a temporary's name
    SetWriteFaultForTesting(WithoutUnnamedFiles);
    AtomicFileWriter running(folder.path("frame-000020.png"));  // a writer still at work
    SetWriteFaultForTesting(nullptr);
    RemoveStaleTemporariesIn(folder.path());
    const std::vector<std::string> left = folder.entries();
    ASSERT_EQ(left.size(), 3u);
    EXPECT_EQ(left[0].rfind(".frame-000020.png.", 0), 0u) << left[0];  // the running writer's
    EXPECT_EQ(left[1], ".hidden.tmp");
    EXPECT_EQ(left[2], "frame-000010.png");
}
