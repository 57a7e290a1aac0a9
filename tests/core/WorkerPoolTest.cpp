// The persistent pool: every part runs once per run, each on its own thread, run after run;
// between runs the workers sleep.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/WorkerPool.h"

TEST(WorkerPool, EveryPartRunsOncePerRunOnItsOwnThread) {
    for (int threads : {1, 2, 3, 5}) {
        WorkerPool pool(threads);
        ASSERT_EQ(pool.threads(), threads);
        std::vector<int> runs(static_cast<std::size_t>(threads), 0);
        std::vector<std::thread::id> ids(static_cast<std::size_t>(threads));
        // Many short runs: a lost wake-up or an early return would hang or miscount.
        for (int k = 0; k < 2000; ++k) {
            pool.Run([&](int part) {
                ++runs[static_cast<std::size_t>(part)];
                ids[static_cast<std::size_t>(part)] = std::this_thread::get_id();
            });
            for (int part = 0; part < threads; ++part)
                ASSERT_EQ(runs[static_cast<std::size_t>(part)], k + 1) << "part " << part;
        }
        EXPECT_EQ(ids[0], std::this_thread::get_id());  // part 0 is the caller's
        EXPECT_EQ(std::set<std::thread::id>(ids.begin(), ids.end()).size(),
                  static_cast<std::size_t>(threads));
    }
}

#if defined(__linux__)
namespace {

// The scheduler state of a thread of this process: 'R' running or runnable, 'S' asleep.
char ThreadState(pid_t tid) {
    std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    return close == std::string::npos || close + 2 >= text.size() ? '?' : text[close + 2];
}

// Waits until every thread is asleep; the deadline only turns a hang into a failure.
bool AllAsleep(const std::vector<pid_t>& tids) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (;;) {
        bool asleep = true;
        for (pid_t tid : tids)
            asleep = asleep && ThreadState(tid) == 'S';
        if (asleep) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace

// Between runs the workers sleep in the kernel; a run that finds them asleep wakes every
// one, and a caller that finished first is told when the last worker is done.
TEST(WorkerPool, WorkersSleepBetweenRunsAndEveryRunWakesThem) {
    for (int threads : {2, 3}) {
        WorkerPool pool(threads);
        std::vector<pid_t> tids(static_cast<std::size_t>(threads));
        for (int k = 0; k < 20; ++k) {
            pool.Run([&](int part) {
                tids[static_cast<std::size_t>(part)] = gettid();
                // The caller finishes long before the workers and has to wait for them.
                if (part != 0) std::this_thread::sleep_for(std::chrono::milliseconds(k % 3));
            });
            const std::vector<pid_t> workers(tids.begin() + 1, tids.end());
            ASSERT_TRUE(AllAsleep(workers)) << "run " << k << ", " << threads << " threads";
        }
    }
}
#endif
