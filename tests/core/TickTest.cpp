// The tick on small hand-made systems: phase order, the step's arithmetic, the energy,
// the pending open and the behaviour on a floating-point fault.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "core/FileError.h"
#include "core/Integrator.h"
#include "core/ReferenceRow.h"
#include "core/Tick.h"
#include "tests/support/Bodies.h"
#include "tests/support/SameBits.h"

namespace {

// Records the order of the hook calls and what each saw.
class RecordingHooks : public TickHooks {
  public:
    std::vector<std::string> calls;
    std::vector<Point3> erased, drawn;
    std::string erasedPlane, drawnPlane;
    double shownEnergy = -1;
    std::vector<Body> snapshot;  // what loadis installs
    bool refuse = false;

    void ErasePass(const Store& s) override {
        calls.push_back("erase");
        erasedPlane = s.DrawnPlane;
        for (const Body& b : s.Bodies)
            erased.push_back({b.x, b.y, b.z});
    }
    void DrawPass(const Store& s) override {
        calls.push_back("draw");
        drawnPlane = s.DrawnPlane;
        for (const Body& b : s.Bodies)
            drawn.push_back({b.x, b.y, b.z});
    }
    void loadis(Store& s, const std::string& path) override {
        calls.push_back("load");
        if (refuse) throw FileError(FileAction::OpenSnapshot, path, FileReason::System(EACCES));
        s.RecreateTables(static_cast<int>(snapshot.size()));
        s.Bodies = snapshot;
    }
    void ShowTexts(const Store&, double energy) override {
        calls.push_back("texts");
        shownEnergy = energy;
    }
};

}  // namespace

TEST(Tick, TwoBodiesFromRestMatchTheHandComputation) {
    Store s = TickingStore({AtRest(0, 0, 0, 1), AtRest(2, 0, 0, 1)}, 1, 1);
    RecordingHooks hooks;
    Integrator integrator;
    const TickOutcome outcome = RunTick(s, hooks, integrator);
    EXPECT_EQ(outcome.step, 1);
    EXPECT_EQ(outcome.fault, FpFault::None);
    EXPECT_EQ(s.Bodies[0].ax, 0.25);
    EXPECT_EQ(s.Bodies[1].ax, -0.25);
    EXPECT_EQ(s.Bodies[0].vx, 0.25);
    EXPECT_EQ(s.Bodies[1].vx, -0.25);
    EXPECT_EQ(s.NextPos[0].x, 0.375);  // 1.5 a dT^2: the position uses the new velocity
    EXPECT_EQ(s.NextPos[1].x, 1.625);
    EXPECT_EQ(s.Bodies[0].x, 0.0);  // committed positions are the drawn ones
    EXPECT_EQ(hooks.shownEnergy, 0.5625);
    EXPECT_EQ(hooks.calls, (std::vector<std::string>{"erase", "draw", "texts"}));
}

TEST(Tick, SecondTickCommitsAndDrawsThePositionsOfTheFirst) {
    Store s = TickingStore({AtRest(0, 0, 0, 1), AtRest(2, 0, 0, 1)}, 1, 1);
    RecordingHooks hooks;
    Integrator integrator;
    RunTick(s, hooks, integrator);
    hooks.erased.clear();
    hooks.drawn.clear();
    RunTick(s, hooks, integrator);
    EXPECT_EQ(s.StepCount, 2);
    ASSERT_EQ(hooks.erased.size(), 2u);
    EXPECT_EQ(hooks.erased[1].x, 2.0);  // erased where it was drawn
    EXPECT_EQ(hooks.drawn[0].x, 0.375);
    EXPECT_EQ(hooks.drawn[1].x, 1.625);
}

TEST(Tick, LoneBodyMovesUnderTheRotatingFrameAlone) {
    Body b = AtRest(0, 0, 0, 3);
    b.vy = 2;
    Store s = TickingStore({b}, 1, 0.5, 0.25);
    RecordingHooks hooks;
    Integrator integrator;
    RunTick(s, hooks, integrator);
    const double w = 0.25 * 12.566370616;
    EXPECT_EQ(s.Bodies[0].ax, w * 2 + 0);
    EXPECT_EQ(s.Bodies[0].ay, 0.0);
    EXPECT_EQ(s.Bodies[0].vx, (w * 2) * 0.5);
    EXPECT_EQ(s.Bodies[0].vy, 2.0);
    EXPECT_EQ(hooks.shownEnergy, ((s.Bodies[0].vx * s.Bodies[0].vx + 4.0) * 3) / 2);

    Store still = TickingStore({AtRest(1, 1, 1, 1)}, 1, 10);
    still.Bodies[0].vx = 0.5;
    RunTick(still, hooks, integrator);
    EXPECT_EQ(still.NextPos[0].x, 6.0);  // straight line without the frame
}

TEST(Tick, EnergyIsOneRunningSumInTheDefiningOrder) {
    // Every pair amount of row 0 in j order, then row 0's kinetic amount, then row 1, ...
    // each added to the one running sum. Masses over many orders make the order show.
    Store s = TickingStore({AtRest(0, 0, 0, 1e3), AtRest(1, 0, 0, 3), AtRest(0, 7, 0, 1e-3),
                            AtRest(0, 0, 0.1, 11), AtRest(0.3, 0.2, 0, 0.7)},
                           0.37, 0.01);
    s.Bodies[2].vz = 1e4;
    const Store before = s;
    RecordingHooks hooks;
    Integrator integrator;
    RunTick(s, hooks, integrator);
    double serial = 0, grouped = 0;
    for (int i = 0; i < s.N(); ++i) {
        const Body& bi = before.Bodies[i];
        double pairs = 0;
        for (int j = 0; j < s.N(); ++j) {
            if (j == i) continue;
            const Body& bj = before.Bodies[j];
            const double r = Distance(bi.x, bj.x, bi.y, bj.y, bi.z, bj.z);
            const double amount = ((bi.mass * s.G) * bj.mass / r) / 2;
            serial = amount + serial;
            pairs = pairs + amount;
        }
        const Body& after = s.Bodies[i];
        const double kinetic =
            (((after.vx * after.vx + after.vy * after.vy) + after.vz * after.vz) * bi.mass) / 2;
        serial = kinetic + serial;
        grouped = (grouped + pairs) + kinetic;
    }
    EXPECT_FALSE(SameBits(serial, grouped));  // the system tells the two orders apart
    EXPECT_TRUE(SameBits(hooks.shownEnergy, serial));
}

TEST(Tick, CoincidingBodiesHaltWithoutChangingTheState) {
    Body a = AtRest(1, 1, 1, 2), b = AtRest(1, 1, 1, 2), c = AtRest(5, 1, 1, 2);
    a.vx = 0.5, a.ax = 7, c.vy = -1;
    Store s = TickingStore({c, a, b}, 1, 1);
    s.NextPos[0] = {9, 9, 9};  // committed by this tick
    const std::vector<Point3> next = {{9, 9, 9}, {1, 1, 1}, {1, 1, 1}};
    RecordingHooks hooks;
    Integrator integrator;
    const TickOutcome outcome = RunTick(s, hooks, integrator);
    EXPECT_EQ(outcome.fault, FpFault::DivisionByZero);
    EXPECT_EQ(outcome.step, 1);
    EXPECT_EQ(s.Bodies[0].x, 9.0);   // the commit happened
    EXPECT_EQ(s.Bodies[1].vx, 0.5);  // velocities untouched
    EXPECT_EQ(s.Bodies[1].ax, 7.0);  // accelerations untouched
    EXPECT_EQ(s.Bodies[0].vy, -1.0);
    EXPECT_EQ(s.NextPos[0].x, 9.0);  // next positions untouched
    EXPECT_EQ(s.NextPos[2].x, 1.0);
    EXPECT_EQ(hooks.calls.back(), "draw");  // no texts after a fault
}

TEST(Tick, FaultKindIsThatOfTheFirstFailingOperation) {
    // Row 0 overflows in its distance; row 1 would divide by zero later.
    Store s =
        TickingStore({AtRest(0, 0, 0, 1), AtRest(2e154, 0, 0, 1), AtRest(2e154, 0, 0, 1)}, 1, 1);
    RecordingHooks hooks;
    Integrator integrator;
    EXPECT_EQ(RunTick(s, hooks, integrator).fault, FpFault::Overflow);

    // Massless coinciding bodies: 0 / 0 is an invalid operation.
    Store zero = TickingStore({AtRest(3, 0, 0, 0), AtRest(3, 0, 0, 0)}, 1, 1);
    EXPECT_EQ(RunTick(zero, hooks, integrator).fault, FpFault::InvalidOperation);

    // A fault in the energy sum alone: each amount is finite, their total is not.
    Store heavy = TickingStore(
        {AtRest(0, 0, 0, 1e154), AtRest(1, 0, 0, 1e154), AtRest(2, 0, 0, 1e154)}, 1.7, 0);
    EXPECT_EQ(RunTick(heavy, hooks, integrator).fault, FpFault::Overflow);
    EXPECT_EQ(heavy.Bodies[0].ax, 0.0);
}

TEST(Tick, StepCountPassesThe16BitLimit) {
    Store s = TickingStore({AtRest(0, 0, 0, 1)}, 1, 1);
    s.StepCount = 32767;
    RecordingHooks hooks;
    Integrator integrator;
    EXPECT_EQ(RunTick(s, hooks, integrator).step, 32768);
    EXPECT_EQ(hooks.calls.front(), "erase");
}

TEST(Tick, PendingOpenHappensBetweenCommitAndDraw) {
    Store s = TickingStore({AtRest(0, 0, 0, 1), AtRest(2, 0, 0, 1), AtRest(4, 0, 0, 1)}, 1, 1);
    s.Plane = "yz";
    s.FileToOpen = "five.kvx";
    RecordingHooks hooks;
    for (int k = 0; k < 5; ++k)
        hooks.snapshot.push_back(AtRest(10.0 * k, 1, 1, 1));
    Integrator integrator;
    const TickOutcome outcome = RunTick(s, hooks, integrator);
    EXPECT_FALSE(outcome.loadError);
    EXPECT_EQ(hooks.calls, (std::vector<std::string>{"erase", "load", "draw", "texts"}));
    EXPECT_EQ(hooks.erased.size(), 3u);  // the old bodies, in the old plane
    EXPECT_EQ(hooks.erasedPlane, "xy");
    EXPECT_EQ(hooks.drawn.size(), 5u);  // the new ones, in the new plane
    EXPECT_EQ(hooks.drawnPlane, "yz");
    EXPECT_EQ(s.N(), 5);
    EXPECT_EQ(s.FileName, "five.kvx");
    EXPECT_TRUE(s.FileToOpen.empty());
    EXPECT_NE(s.NextPos[1].x, 0.0);  // filled by this tick's integration
}

TEST(Tick, RefusedOpenLeavesTheRunGoing) {
    Store s = TickingStore({AtRest(0, 0, 0, 1), AtRest(2, 0, 0, 1)}, 1, 1);
    s.FileName = "old.kvx";
    s.FileToOpen = "bad.kvx";
    RecordingHooks hooks;
    hooks.refuse = true;
    Integrator integrator;
    const TickOutcome outcome = RunTick(s, hooks, integrator);
    ASSERT_TRUE(outcome.loadError);
    EXPECT_EQ(outcome.loadError->path(), "bad.kvx");
    EXPECT_EQ(outcome.loadError->reason().systemError, EACCES);
    EXPECT_EQ(s.N(), 2);
    EXPECT_EQ(s.FileName, "old.kvx");
    EXPECT_TRUE(s.FileToOpen.empty());  // not retried at every tick
    EXPECT_EQ(s.NextPos[0].x, 0.375);
}
