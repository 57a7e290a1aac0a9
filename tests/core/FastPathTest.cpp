// The fast integration path against the plain loop: the same bits at every vector width
// and thread count, and the same fault, found wherever the faulting pair sits.
#include <gtest/gtest.h>

#include "tests/core/FastPathSupport.h"

using namespace fastpath;

TEST(FastPath, EqualsThePlainLoopToTheBit) {
    for (int n : {1, 2, 7, 8, 9, 17, 100, 1000}) {
        const Store start = RandomStore(n, 1000u + n);
        const Outcome plain = RunWith(ReferenceOptions(), start);
        ASSERT_EQ(plain.result.fault, FpFault::None);
        for (const Config& c : AllConfigs()) {
            const std::string where = "N=" + std::to_string(n) + " " + c.Name();
            const Outcome fast = RunWith(FastOptions(c), start);
            ASSERT_EQ(fast.result.fault, FpFault::None) << where;
            EXPECT_TRUE(SameBits(plain.result.Energy, fast.result.Energy)) << where;
            ExpectSameBits(plain.store, fast.store, where);
        }
    }
}

TEST(FastPath, RepeatedPhasesOnOneIntegratorStayEqual) {
    // The pool and the workspace are reused from phase to phase, also across a change of N.
    for (const Config& c : AllConfigs()) {
        Integrator fast(FastOptions(c)), plain(ReferenceOptions());
        for (int n : {300, 300, 5, 41}) {
            Store a = RandomStore(n, 7u * n), b = a;
            for (int step = 0; step < 3; ++step) {
                const double e1 = plain.Integrate(a).Energy, e2 = fast.Integrate(b).Energy;
                ASSERT_TRUE(SameBits(e1, e2)) << c.Name() << " N=" << n;
                for (int i = 0; i < n; ++i)
                    a.Bodies[i].x = a.NextPos[i].x;
                for (int i = 0; i < n; ++i)
                    b.Bodies[i].x = b.NextPos[i].x;
            }
            ExpectSameBits(a, b, c.Name());
        }
    }
}

TEST(FastPath, RowsThatDoNotCountRaiseNothing) {
    // A lone body never forms mass × G, so a product that would overflow is no fault.
    Store lone = RandomStore(1, 3);
    lone.Bodies[0].mass = 1e300, lone.G = 1e300;
    // Far from the origin but close enough together that no real pair overflows: a padding
    // lane that was not a copy of a real row would square a huge difference; N = 9, 13 and 27 leave
    // every count of padding.
    for (const Config& c : AllConfigs()) {
        EXPECT_EQ(RunWith(FastOptions(c), lone).result.fault, FpFault::None) << c.Name();
        for (int n : {9, 13, 27}) {
            Store far = RandomStore(n, 5u + n);
            for (int i = 0; i < n; ++i) {
                Body& b = far.Bodies[i];
                b.x = 1e166 + i * 1e152, b.y = (i % 5) * 1e152 - 1e166, b.z = 1e166 - i * 3e151;
            }
            const Outcome plain = RunWith(ReferenceOptions(), far);
            const Outcome fast = RunWith(FastOptions(c), far);
            ASSERT_EQ(plain.result.fault, FpFault::None);
            EXPECT_EQ(fast.result.fault, FpFault::None) << c.Name() << " N=" << n;
            ExpectSameBits(plain.store, fast.store, c.Name());
        }
    }
}

TEST(FastPath, CoincidingPairIsFoundInEveryLaneAndEveryThreadsBlock) {
    // N = 37: five vectors of eight, the last one padded, split over up to three threads.
    const int n = 37;
    for (const Config& c : AllConfigs()) {
        Integrator fast(FastOptions(c));
        for (int i = 0; i < n; ++i) {
            Store s = RandomStore(n, 11);
            const int partner = (i * 7 + 3) % n == i ? (i + 1) % n : (i * 7 + 3) % n;
            s.Bodies[i].x = s.Bodies[partner].x;
            s.Bodies[i].y = s.Bodies[partner].y;
            s.Bodies[i].z = s.Bodies[partner].z;
            s.Bodies[i].mass = s.Bodies[partner].mass = 1;
            const Store before = s;
            const IntegrationResult r = fast.Integrate(s);
            ASSERT_EQ(r.fault, FpFault::DivisionByZero) << c.Name() << " body " << i;
            ExpectSameBits(before, s, c.Name() + " untouched");
        }
    }
}

TEST(FastPath, FaultKindIsTheFirstInTheOrderOfThePlainLoop) {
    // Two faults in different rows and threads: the one the plain loop meets first wins,
    // whichever thread's block it falls in.
    const int n = 60;
    for (const Config& c : AllConfigs()) {
        for (int early : {0, 13, 31, 47}) {
            for (int late : {early + 5, n - 2}) {
                Store s = RandomStore(n, 21);
                // Massless coinciding pair at row early: 0 / 0. Coinciding heavy pair later.
                s.Bodies[early].mass = s.Bodies[early + 1].mass = 0;
                s.Bodies[early].x = s.Bodies[early + 1].x;
                s.Bodies[early].y = s.Bodies[early + 1].y;
                s.Bodies[early].z = s.Bodies[early + 1].z;
                s.Bodies[late].x = s.Bodies[late + 1].x;
                s.Bodies[late].y = s.Bodies[late + 1].y;
                s.Bodies[late].z = s.Bodies[late + 1].z;
                const FpFault expected = RunWith(ReferenceOptions(), s).result.fault;
                ASSERT_EQ(expected, FpFault::InvalidOperation);
                EXPECT_EQ(RunWith(FastOptions(c), s).result.fault, expected)
                    << c.Name() << " rows " << early << ", " << late;
            }
        }
    }
}

TEST(FastPath, EnergyOverflowAloneIsFound) {
    // Every row computes; only the total overflows.
    Store heavy;
    heavy.RecreateTables(3);
    for (int i = 0; i < 3; ++i)
        heavy.Bodies[i].x = i, heavy.Bodies[i].mass = 1e154;
    heavy.G = 1.7;
    for (const Config& c : AllConfigs()) {
        Store s = heavy;
        EXPECT_EQ(RunWith(FastOptions(c), s).result.fault, FpFault::Overflow) << c.Name();
    }
}
