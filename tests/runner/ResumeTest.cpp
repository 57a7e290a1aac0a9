// A run resumed from its restart file goes on as if it had never stopped: K + M ticks
// against K ticks, a restart file, and M more, compared after every tick by their restart
// bytes, pictures and texts, with the plane and the time step changed between ticks as the
// window does, on one and two threads.
#include <gtest/gtest.h>

#include <cstring>

#include "runner/RunState.h"
#include "storage/RestartFile.h"
#include "storage/Snapshot.h"

namespace {

// Stars fast enough to cross several pixels a tick: the picture changes at every tick.
StartTexts MovingStars() {
    StartTexts texts;
    texts.TextN = "60";
    texts.TextIM = "1e+39";
    return texts;
}

// The user's actions between ticks, by the step that has just ended.
void BetweenTicks(Store& store) {
    if (store.StepCount % 4 == 1) store.Plane = store.Plane == "xy" ? "yz" : "xy";
    if (store.StepCount == 6) store.Plane = "xz";
    if (store.StepCount % 5 == 2) store.dT *= 1.5;  // "TIME+", also just before the save
}

IntegratorOptions OnThreads(int threads) {
    IntegratorOptions options;
    options.threads = threads;
    options.parallelFromBodies = 1;  // the rows split over the threads even for few bodies
    return options;
}

bool SameImage(const QImage& a, const QImage& b) {
    return a.size() == b.size() && a.format() == b.format() &&
           std::memcmp(a.constBits(), b.constBits(), static_cast<std::size_t>(a.sizeInBytes())) ==
               0;
}

void ExpectResumedRunIsTheSame(const StartTexts& texts, std::uint32_t seed, int threads) {
    constexpr int K = 7, M = 9;
    RunState whole;
    whole.Start(texts, seed);
    Integrator integrator(OnThreads(threads));
    for (int k = 0; k < K; ++k) {
        ASSERT_EQ(whole.Tick(integrator).fault, FpFault::None);
        BetweenTicks(whole.store);
    }
    RunState resumed;
    resumed.Resume(DecodeRestart(whole.RestartBytes()));
    ASSERT_TRUE(SameImage(resumed.picture.Image(), whole.picture.Image()));
    EXPECT_EQ(resumed.view.texts().caption, whole.view.texts().caption);
    EXPECT_EQ(resumed.view.texts().timeStep, whole.view.texts().timeStep);
    const QImage atK = whole.picture.Image().copy();
    Integrator other(OnThreads(threads));
    for (int m = 0; m < M; ++m) {
        const TickOutcome a = whole.Tick(integrator);
        const TickOutcome b = resumed.Tick(other);
        ASSERT_EQ(a.step, b.step);
        ASSERT_EQ(a.fault, FpFault::None);
        ASSERT_EQ(b.fault, FpFault::None);
        EXPECT_EQ(whole.view.energy(), resumed.view.energy()) << a.step;
        EXPECT_EQ(whole.view.texts().energy, resumed.view.texts().energy) << a.step;
        EXPECT_EQ(whole.view.texts().timeStep, resumed.view.texts().timeStep) << a.step;
        EXPECT_TRUE(SameImage(whole.picture.Image(), resumed.picture.Image())) << a.step;
        EXPECT_EQ(EncodeSnapshot(whole.store), EncodeSnapshot(resumed.store)) << a.step;
        BetweenTicks(whole.store);
        BetweenTicks(resumed.store);
        ASSERT_EQ(whole.RestartBytes(), resumed.RestartBytes()) << a.step;
    }
    EXPECT_EQ(whole.store.StepCount, K + M);
    if (texts.TextIM != StartTexts().TextIM) {
        EXPECT_FALSE(SameImage(atK, whole.picture.Image())) << "the stars did not move";
    }
}

}  // namespace

TEST(Resume, TheDefaultCloudGoesOnBitForBit) {
    for (int threads : {1, 2})
        ExpectResumedRunIsTheSame(StartTexts(), 0, threads);
}

TEST(Resume, MovingStarsOfASeededCloudGoOnBitForBit) {
    for (int threads : {1, 2})
        ExpectResumedRunIsTheSame(MovingStars(), 77, threads);
}

TEST(Resume, BeforeTheFirstTickThePictureIsBlackAndTheTextsAreTheDesignOnes) {
    RunState fresh;
    fresh.Start(MovingStars(), 0);
    RunState resumed;
    resumed.Resume(DecodeRestart(fresh.RestartBytes()));
    EXPECT_TRUE(SameImage(resumed.picture.Image(), Picture().Image()));
    EXPECT_EQ(resumed.view.texts().caption, fresh.view.texts().caption);
    Integrator a, b;
    fresh.Tick(a);
    resumed.Tick(b);
    EXPECT_TRUE(SameImage(resumed.picture.Image(), fresh.picture.Image()));
    EXPECT_EQ(resumed.RestartBytes(), fresh.RestartBytes());
}

TEST(Resume, AfterAFaultTheRestartFileHoldsTheStateBeforeTheFailingTick) {
    // Two massless stars meet at x = 4 at the fifth tick: G = 1, dT = 1.
    RunState run;
    run.Start(StartTexts(), 0);
    run.store.RecreateTables(2);
    run.store.G = run.store.dT = 1;
    run.store.No = 0;
    run.store.Bodies[0].vx = 1;
    run.store.Bodies[1].vx = -1;
    run.store.NextPos[1].x = 8;
    Integrator integrator;
    for (int k = 0; k < 4; ++k)
        ASSERT_EQ(run.Tick(integrator).fault, FpFault::None);
    const Bytes beforeFive = run.RestartBytes();
    const TickOutcome five = run.Tick(integrator);
    ASSERT_EQ(five.step, 5);
    ASSERT_NE(five.fault, FpFault::None);
    ASSERT_NE(run.RestartBytes(), beforeFive);  // the tick did change the store
    EXPECT_EQ(run.RestartBytesBeforeTick(), beforeFive);
    RunState again;
    again.Resume(DecodeRestart(run.RestartBytesBeforeTick()));
    const TickOutcome retried = again.Tick(integrator);
    EXPECT_EQ(retried.step, 5);
    EXPECT_EQ(retried.fault, five.fault);
}

TEST(Resume, AFaultAtTheTickThatOpensASnapshotGoesBackToTheCloudAndTheOpen) {
    RunState run;
    run.Start(StartTexts(), 0);
    Store same;
    same.RecreateTables(2);
    same.Bodies[0].mass = same.Bodies[1].mass = 1;  // two stars at one place
    const std::string path = testing::TempDir() + "/kvorax-resume-same.kvx";
    WriteSnapshot(path, same);
    run.store.FileToOpen = path;
    const Bytes before = run.RestartBytes();
    Integrator integrator;
    ASSERT_NE(run.Tick(integrator).fault, FpFault::None);
    EXPECT_EQ(run.store.N(), 2);
    EXPECT_EQ(run.RestartBytesBeforeTick(), before);
}
