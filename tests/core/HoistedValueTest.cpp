// Values that the fast path forms once per phase instead of at their statement keep that
// statement's check: the fault is the one the plain order meets first, where it meets it,
// and the store stays as it was.
#include <gtest/gtest.h>

#include "tests/core/FastPathSupport.h"

using namespace fastpath;

namespace {

// The fault of the plain loop and of every kernel; each must leave the store untouched.
void ExpectFaultEverywhere(const Store& start, FpFault expected, const std::string& what) {
    std::vector<std::pair<std::string, IntegratorOptions>> runs = {{"plain", ReferenceOptions()}};
    for (const Config& c : AllConfigs())
        runs.push_back({c.Name(), FastOptions(c)});
    for (const auto& [name, options] : runs) {
        Store s = start;
        Integrator integrator(options);
        EXPECT_EQ(integrator.Integrate(s).fault, expected) << what << ", " << name;
        ExpectSameBits(start, s, what + ", " + name + ": untouched");
    }
}

// No fault anywhere, and every kernel's result is the plain loop's.
void ExpectNoFaultAndThePlainResult(const Store& start) {
    const Outcome plain = RunWith(ReferenceOptions(), start);
    ASSERT_EQ(plain.result.fault, FpFault::None);
    for (const Config& c : AllConfigs()) {
        const Outcome fast = RunWith(FastOptions(c), start);
        ASSERT_EQ(fast.result.fault, FpFault::None) << c.Name();
        ExpectSameBits(plain.store, fast.store, c.Name());
    }
}

void Coincide(Store& s, int a, int b) {
    s.Bodies[a].x = s.Bodies[b].x, s.Bodies[a].y = s.Bodies[b].y, s.Bodies[a].z = s.Bodies[b].z;
}

}  // namespace

TEST(HoistedValues, FrameFactorOverflowIsAnOverflowAtTheFirstRow) {
    for (double No : {1.5e307, -1e308}) {
        for (int n : {1, 2, 9, 40}) {
            Store s = RandomStore(n, 77u + n);
            s.No = No;
            ExpectFaultEverywhere(s, FpFault::Overflow,
                                  "No " + std::to_string(No) + " N=" + std::to_string(n));
        }
    }
    Store s = RandomStore(20, 5);
    s.No = 1.43e307;  // × 12.566370616 stays just below the largest double
    for (Body& b : s.Bodies)
        b.vx = b.vy = 0;  // so that the frame term itself stays finite
    ExpectNoFaultAndThePlainResult(s);
}

TEST(HoistedValues, FrameFactorOverflowComesAfterTheFirstRowsPairs) {
    // Row 0 meets its coinciding pair before its rotating-frame statement.
    Store early = RandomStore(12, 9);
    early.No = 1e308;
    Coincide(early, 0, 5);
    ExpectFaultEverywhere(early, FpFault::DivisionByZero, "pair in row 0");
    // A coinciding pair that row 0 does not hold is met only after row 0's frame statement.
    Store late = RandomStore(12, 9);
    late.No = 1e308;
    Coincide(late, 3, 5);
    ExpectFaultEverywhere(late, FpFault::Overflow, "pair in rows 3 and 5");
}

namespace {

// Light bodies and one whose mass × G overflows while every mass_i × G × mass_j it enters
// stays finite: the plain loop meets the overflow at the first pair with that body as j.
Store WithOverflowingMassG(int n, int heavy) {
    Store s = RandomStore(n, 31);
    for (Body& b : s.Bodies)
        b.mass = 1e-10;
    s.Bodies[heavy].mass = 1e308;
    s.G = 4;
    return s;
}

}  // namespace

TEST(HoistedValues, MassTimesGOverflowIsFoundAtItsPairInTheFirstRow) {
    // Row 0 meets the overflow at (0, 30); the coinciding pair of row 24 comes later.
    Store s = WithOverflowingMassG(40, 30);
    Coincide(s, 24, 25);
    ExpectFaultEverywhere(s, FpFault::Overflow, "mass x G of body 30");
    // Where row 0 meets a coinciding pair first, that is the fault.
    Store early = WithOverflowingMassG(40, 30);
    Coincide(early, 0, 3);
    ExpectFaultEverywhere(early, FpFault::DivisionByZero, "pair (0, 3) before (0, 30)");
}

TEST(HoistedValues, LoneBodyNeverFormsMassTimesG) {
    Store s = WithOverflowingMassG(1, 0);
    s.Bodies[0].vx = s.Bodies[0].vy = s.Bodies[0].vz = 0;  // a kinetic amount of 0
    ExpectNoFaultAndThePlainResult(s);
}
