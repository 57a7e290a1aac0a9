// The persistent pool: every part runs once per run, each on its own thread, run after run.
#include <gtest/gtest.h>

#include <set>
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
