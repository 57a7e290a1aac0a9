// The energy is the one running sum of the defining order, to the bit, however the rows
// were computed: the grid shortcut against a plain loop of additions on sequences built for
// its hard cases, and the fast path against the plain loop over several phases.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "core/SerialEnergy.h"
#include "tests/core/FastPathSupport.h"

using namespace fastpath;

namespace {

double PlainSum(double energy, const std::vector<double>& amounts) {
    for (double a : amounts)
        energy = a + energy;
    return energy;
}

void ExpectAddInOrderIsPlain(double start, const std::vector<double>& amounts, const char* what) {
    const double plain = PlainSum(start, amounts);
    const double fast = AddInOrder(start, amounts.data(), amounts.size());
    EXPECT_TRUE(SameBits(plain, fast)) << what << ": " << plain << " vs " << fast;
}

// Steps the store as the tick does between two phases, so that later phases predict.
void Commit(Store& s) {
    for (int i = 0; i < s.N(); ++i)
        s.Bodies[i].x = s.NextPos[i].x, s.Bodies[i].y = s.NextPos[i].y,
        s.Bodies[i].z = s.NextPos[i].z;
}

// Several phases of the plain loop and of every fast configuration, compared each phase.
void ExpectPhasesEqual(const Store& start, int phases, const std::string& what) {
    Integrator plain(ReferenceOptions());
    Store expected = start;
    std::vector<IntegrationResult> results;
    std::vector<Store> states;
    for (int k = 0; k < phases; ++k) {
        results.push_back(plain.Integrate(expected));
        states.push_back(expected);
        Commit(expected);
    }
    for (const Config& c : AllConfigs()) {
        Integrator fast(FastOptions(c));
        Store s = start;
        for (int k = 0; k < phases; ++k) {
            const IntegrationResult r = fast.Integrate(s);
            const std::string where = what + " " + c.Name() + " phase " + std::to_string(k);
            ASSERT_EQ(r.fault, results[k].fault) << where;
            ASSERT_TRUE(SameBits(r.Energy, results[k].Energy))
                << where << ": " << results[k].Energy << " vs " << r.Energy;
            ExpectSameBits(states[k], s, where);
            Commit(s);
        }
    }
}

}  // namespace

TEST(SerialEnergy, GridShortcutIsThePlainSumOnItsHardCases) {
    const double u = 0x1p-12;  // the last bit of sums in [2^40, 2^41)
    const double odd = 0x1p40 + u, even = 0x1p40 + 2 * u;
    std::vector<double> ties(200, u / 2);  // exact half-units: ties, to even
    ExpectAddInOrderIsPlain(odd, ties, "ties from an odd sum");
    ExpectAddInOrderIsPlain(even, ties, "ties from an even sum");
    std::vector<double> threeHalves(200, 1.5 * u);
    ExpectAddInOrderIsPlain(odd, threeHalves, "three half-units");
    std::vector<double> growing;
    for (int k = 0; k < 300; ++k)
        growing.push_back(std::ldexp(1.37, k / 4));  // crosses many binades
    ExpectAddInOrderIsPlain(0, growing, "from zero across binades");
    ExpectAddInOrderIsPlain(3.0, {1e30, 1.0, -1e30, 7.0, 0.0, -0.0}, "larger than the sum");
    std::vector<double> mixed;
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> unit(-1, 1);
    for (int k = 0; k < 500; ++k)
        mixed.push_back(unit(random) * std::ldexp(1.0, static_cast<int>(random() % 40)));
    ExpectAddInOrderIsPlain(1e12, mixed, "mixed signs");
    for (double& a : mixed)
        a = -std::fabs(a);
    ExpectAddInOrderIsPlain(-1e12, mixed, "a negative sum");
    ExpectAddInOrderIsPlain(0, {-0.0}, "minus zero onto zero");
    ExpectAddInOrderIsPlain(0x1p-1060, std::vector<double>(100, 0x1p-1070), "subnormal sums");
}

TEST(SerialEnergy, GridStretchesFindATieInAnyLaneAndTheTail) {
    const double u = 0x1p-12, odd = 0x1p40 + u;  // u: the last bit of sums in [2^40, 2^41)
    for (std::size_t count : {1u, 3u, 5u, 31u, 32u, 33u, 70u}) {
        for (std::size_t at = 0; at < count; at += 1 + count / 7) {
            std::vector<double> amounts(count, 3 * u);
            amounts[at] = u / 2;  // the one tie, in the lane at % 4 or in the tail
            ExpectAddInOrderIsPlain(odd, amounts, "one tie");
            amounts[at] = -u;  // the one amount of the other sign
            ExpectAddInOrderIsPlain(odd, amounts, "one negative amount");
        }
    }
    // Each lane's sum stays below 2^53 units while the total leaves the binade.
    ExpectAddInOrderIsPlain(odd, std::vector<double>(64, 0x1p34), "the binade left in every lane");
    ExpectAddInOrderIsPlain(0, {0x1p-3, 0x1p40, u, u / 2, 5 * u}, "a sum of 0 first");
    ExpectAddInOrderIsPlain(0, {-0.0, -0.0, 1.0}, "minus zeros onto zero");
}

TEST(SerialEnergy, FastPathEqualsThePlainLoopOverPhases) {
    for (int n : {1, 2, 7, 8, 9, 17, 100, 1000})
        ExpectPhasesEqual(RandomStore(n, 300u + n), 3, "N=" + std::to_string(n));
    ExpectPhasesEqual(RandomStore(3000, 77), 2, "N=3000");
}

TEST(SerialEnergy, SignsAndSizesThatRuleTheGridOut) {
    Store negativeMasses = RandomStore(40, 8);
    for (int i = 0; i < 40; i += 3)
        negativeMasses.Bodies[i].mass = -negativeMasses.Bodies[i].mass;
    ExpectPhasesEqual(negativeMasses, 3, "mixed-sign masses");
    Store negativeG = RandomStore(40, 9);
    negativeG.G = -negativeG.G;
    ExpectPhasesEqual(negativeG, 3, "negative G");
    Store oneHeavyPair = RandomStore(50, 10);  // a late pair far larger than the sum so far
    oneHeavyPair.Bodies[45].mass = oneHeavyPair.Bodies[46].mass = 1e12;
    ExpectPhasesEqual(oneHeavyPair, 3, "a late heavy pair");
}

TEST(SerialEnergy, TiesInARowOfTheFastPath) {
    // Dyadic masses at distances 1 and 2 make exact amounts; the light body's amounts are a
    // half and a whole unit of the sum's last bit once the heavy pair has made it 2^40.
    Store s;
    s.RecreateTables(24);
    const double masses[] = {0x1p20, 0x1p20, 0x1p-31};
    for (int i = 0; i < 24; ++i) {
        Body& b = s.Bodies[i];
        b.x = i < 3 ? i : 1000.0 * i;  // the rest are massless and far away
        b.mass = i < 3 ? masses[i] : 0;
        s.NextPos[i] = {b.x, b.y, b.z};
    }
    s.G = 1, s.dT = 0x1p-30;
    ExpectPhasesEqual(s, 4, "ties");
}

TEST(SerialEnergy, AnotherSystemOfTheSameSizeIsSummedExactly) {
    // The predictions come from the last phase, which was of another system (as after Open).
    for (const Config& c : AllConfigs()) {
        Integrator fast(FastOptions(c)), plain(ReferenceOptions());
        for (unsigned seed : {1u, 2u, 3u}) {
            Store a = RandomStore(120, seed), b = a;
            a.G = b.G = seed * 1e-3;  // a sum in another binade altogether
            const IntegrationResult e1 = plain.Integrate(a), e2 = fast.Integrate(b);
            ASSERT_TRUE(SameBits(e1.Energy, e2.Energy)) << c.Name() << " seed " << seed;
        }
    }
}

TEST(SerialEnergy, OverflowOfTheSumIsTheFaultOfThatStatement) {
    // Every amount is finite; the fourth addition overflows, in row 1.
    Store s;
    s.RecreateTables(3);
    for (int i = 0; i < 3; ++i)
        s.Bodies[i].x = i, s.Bodies[i].mass = 1e154, s.NextPos[i] = {double(i), 0, 0};
    s.G = 1.7;
    const Outcome plain = RunWith(ReferenceOptions(), s);
    ASSERT_EQ(plain.result.fault, FpFault::Overflow);
    ExpectSameBits(s, plain.store, "plain loop leaves the store");
    for (const Config& c : AllConfigs()) {
        const Outcome fast = RunWith(FastOptions(c), s);
        EXPECT_EQ(fast.result.fault, FpFault::Overflow) << c.Name();
        ExpectSameBits(s, fast.store, c.Name());
    }
}
