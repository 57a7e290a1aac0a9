// The four primitives on hand-checked values, and their faults.
#include <gtest/gtest.h>

#include <cmath>

#include "core/CheckedDouble.h"
#include "core/Kinematics.h"

TEST(Kinematics, HandCheckedValues) {
    EXPECT_EQ(Distance(0.0, 3.0, 0.0, 4.0, 0.0, 0.0), 5.0);
    EXPECT_EQ(Distance(3.0, 0.0, 4.0, 0.0, 0.0, 0.0), 5.0);  // symmetric
    EXPECT_EQ(GravityAccel(2.0, 1.0, 4.0), 1.0);
    EXPECT_EQ(StepVelocity(1.0, 2.0, 3.0), 7.0);
    EXPECT_EQ(StepPosition(1.0, 2.0, 4.0, 3.0), 25.0);
}

TEST(Kinematics, OrderOfOperationsIsKept) {
    // (v*t)+x then + h: with these values a reordering or an FMA changes the last bit.
    const double x = 1e16, v = 1.0, a = 3.0, t = 1.0 / 3.0;
    double h = t * t;
    h = h * a;
    h = h / 2;
    const double w = (v * t) + x;
    EXPECT_EQ(StepPosition(x, v, a, t), h + w);
    const double product = 0.1 * 3.0;  // rounded before the addition, never fused
    EXPECT_EQ(StepVelocity(1e-17, 0.1, 3.0), product + 1e-17);
}

TEST(Kinematics, FaultsAreFoundAtTheFailingOperation) {
    auto faultOf = [](auto f) {
        try {
            f();
        } catch (const FaultFound& found) {
            return found.fault;
        }
        return FpFault::None;
    };
    using D = CheckedDouble;
    EXPECT_EQ(faultOf([] { GravityAccel(D(0), D(1), D(1)); }), FpFault::DivisionByZero);
    EXPECT_EQ(faultOf([] { GravityAccel(D(0), D(0), D(1)); }), FpFault::InvalidOperation);
    EXPECT_EQ(faultOf([] { Distance(D(0), D(2e154), D(0), D(0), D(0), D(0)); }), FpFault::Overflow);
    EXPECT_EQ(faultOf([] { Distance(D(0), D(1e154), D(0), D(0), D(0), D(0)); }), FpFault::None);
    // Underflow is not a fault.
    EXPECT_EQ(faultOf([] { GravityAccel(D(1e150), D(1e-200), D(1)); }), FpFault::None);
}
