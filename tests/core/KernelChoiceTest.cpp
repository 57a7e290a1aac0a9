// The automatic way of dividing times both kernels on blocks the phase needs: whatever it
// chooses, and while it is still timing, every result is the plain loop's to the bit, a
// fault is found as without it, and the choice is made once and reported.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/core/FastPathSupport.h"

using namespace fastpath;

namespace {

// Widths with a kernel of each way, at one thread and at three with the rows always spread.
std::vector<Config> AutomaticConfigs() {
    std::vector<Config> configs;
    for (SimdWidth width : SupportedSimdWidths())
        if (width != SimdWidth::Plain)
            for (int threads : {1, 3})
                configs.push_back({width, threads});
    return configs;
}

IntegratorOptions Automatic(const Config& c) {
    IntegratorOptions o = FastOptions(c);
    o.quotients = Quotients::Automatic;
    return o;
}

void ExpectSamePhase(Integrator& integrator, const Store& start, const std::string& where) {
    const Outcome plain = RunWith(ReferenceOptions(), start);
    ASSERT_EQ(plain.result.fault, FpFault::None) << where;
    Store s = start;
    const IntegrationResult r = integrator.Integrate(s);
    ASSERT_EQ(r.fault, FpFault::None) << where;
    EXPECT_TRUE(SameBits(r.Energy, plain.result.Energy)) << where;
    ExpectSameBits(plain.store, s, where);
}

void ExpectTimed(const KernelChoice& choice, const std::string& where) {
    EXPECT_EQ(choice.basis, ChoiceBasis::Timed) << where;
    EXPECT_TRUE(std::isfinite(choice.reciprocalsNsPerPair) && choice.reciprocalsNsPerPair > 0)
        << where;
    EXPECT_TRUE(std::isfinite(choice.divisionsNsPerPair) && choice.divisionsNsPerPair > 0) << where;
    const bool divisionsFaster = choice.divisionsNsPerPair <
                                 KernelCalibration::kDivisionsShare * choice.reciprocalsNsPerPair;
    EXPECT_EQ(choice.way, divisionsFaster ? Quotients::Divisions : Quotients::Reciprocals) << where;
}

// Phases of the system until the integrator has timed both kernels, or as many as rounds
// of timing at one a phase would take.
void RunUntilTimed(Integrator& integrator, const Store& start, const std::string& where) {
    for (int phase = 0; phase < KernelCalibration::kRounds; ++phase) {
        ExpectSamePhase(integrator, start, where);
        if (integrator.kernelChoice().basis == ChoiceBasis::Timed) break;
    }
    ExpectTimed(integrator.kernelChoice(), where);
}

// Bodies with the same position as the next one: their pair divides by zero in that block.
Store WithCoincidingPair(Store s, int i) {
    Body& b = s.Bodies[i];
    const Body& partner = s.Bodies[i + 1];
    b.x = partner.x, b.y = partner.y, b.z = partner.z;
    b.mass = s.Bodies[i + 1].mass = 1;
    return s;
}

}  // namespace

TEST(KernelChoice, AutomaticEqualsThePlainLoopBeforeDuringAndAfterTiming) {
    // Small systems take the default; the first at the threshold or above is timed over
    // its two passes and later phases, N not a multiple of the lanes; then other sizes.
    const int small = 45, large = kCalibrateFromBodies + 3;
    for (const Config& c : AutomaticConfigs()) {
        Integrator integrator(Automatic(c));
        for (int phase = 0; phase < 2; ++phase)
            ExpectSamePhase(integrator, RandomStore(small, 3 + phase), c.Name() + " small");
        EXPECT_EQ(integrator.kernelChoice().basis, ChoiceBasis::SmallPhases) << c.Name();
        EXPECT_EQ(integrator.kernelChoice().way, Quotients::Reciprocals) << c.Name();
        RunUntilTimed(integrator, RandomStore(large, 5), c.Name() + " large");
        const KernelChoice chosen = integrator.kernelChoice();
        for (int n : {small, large, large + 8})
            ExpectSamePhase(integrator, RandomStore(n, 7), c.Name() + " after");
        // Timed once: the later phases keep the choice and its timings.
        EXPECT_EQ(integrator.kernelChoice().way, chosen.way) << c.Name();
        EXPECT_EQ(integrator.kernelChoice().reciprocalsNsPerPair, chosen.reciprocalsNsPerPair);
        EXPECT_EQ(integrator.kernelChoice().divisionsNsPerPair, chosen.divisionsNsPerPair);
    }
}

TEST(KernelChoice, FaultInATimedBlockIsFoundAndTimingGoesOn) {
    // On a new integrator the first blocks are timed, in groups given to one kernel and
    // then the other: the faulting pair in each of them, then the system without it.
    const int n = kCalibrateFromBodies + 5;
    const Store clean = RandomStore(n, 13);
    for (const Config& c : AutomaticConfigs()) {
        for (int block = 0; block < 12; ++block) {
            const std::string where = c.Name() + " block " + std::to_string(block);
            Integrator integrator(Automatic(c));
            Store s = WithCoincidingPair(clean, block * Lanes(c.width) + 1);
            const Store before = s;
            ASSERT_EQ(integrator.Integrate(s).fault, FpFault::DivisionByZero) << where;
            ExpectSameBits(before, s, where + " untouched");
            RunUntilTimed(integrator, clean, where + " clean");
        }
    }
}

TEST(KernelChoice, PartsTooSmallForFullGroupsAreTimedOverManyPhases) {
    // N = 37: five blocks of eight or ten of four, the last padded; timing in rounds of
    // short groups, phase after phase. A calling thread's part of a single block cannot
    // hold a round: it keeps the default, with the same results.
    const int n = 37;
    for (const Config& c : AutomaticConfigs()) {
        IntegratorOptions o = Automatic(c);
        o.calibrateFromBodies = 0;
        Integrator integrator(o);
        for (int phase = 0; phase < 2 * KernelCalibration::kRounds; ++phase)
            ExpectSamePhase(integrator, RandomStore(n, 17), c.Name());
        const int blocks = (n + Lanes(c.width) - 1) / Lanes(c.width);
        if (blocks / c.threads >= 2) {
            ExpectTimed(integrator.kernelChoice(), c.Name());
        } else {
            EXPECT_EQ(integrator.kernelChoice().basis, ChoiceBasis::SmallPhases) << c.Name();
        }
    }
}

TEST(KernelChoice, AskedAndOnlyWaysAreReportedAndNotTimed) {
    for (const Config& c : AutomaticConfigs()) {
        for (Quotients way : {Quotients::Reciprocals, Quotients::Divisions}) {
            IntegratorOptions o = FastOptions(c);
            o.quotients = way;
            Integrator integrator(o);
            ExpectSamePhase(integrator, RandomStore(kCalibrateFromBodies + 1, 19), c.Name());
            EXPECT_EQ(integrator.kernelChoice().way, way) << c.Name();
            EXPECT_EQ(integrator.kernelChoice().basis, ChoiceBasis::Asked) << c.Name();
            EXPECT_EQ(integrator.kernelChoice().reciprocalsNsPerPair, 0) << c.Name();
        }
    }
    // The one-row kernel divides only one way, whatever is asked.
    Integrator plain(Automatic({SimdWidth::Plain, 1}));
    ExpectSamePhase(plain, RandomStore(kCalibrateFromBodies + 1, 19), "plain");
    EXPECT_EQ(plain.kernelChoice().way, Quotients::Divisions);
    EXPECT_EQ(plain.kernelChoice().basis, ChoiceBasis::OnlyWay);
}
