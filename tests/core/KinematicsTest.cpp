// The four primitives on hand-checked values, and their faults.
#include <gtest/gtest.h>

#include <cmath>

#include "core/CheckedDouble.h"
#include "core/Kinematics.h"
#include "core/ReferenceRow.h"
#include "core/SimdWidth.h"

TEST(Kinematics, HandCheckedValues) {
    EXPECT_EQ(Distance(0.0, 3.0, 0.0, 4.0, 0.0, 0.0), 5.0);
    EXPECT_EQ(Distance(3.0, 0.0, 4.0, 0.0, 0.0, 0.0), 5.0);  // symmetric
    EXPECT_EQ(GravityAccel(2.0, 1.0, 4.0), 1.0);
    EXPECT_EQ(StepVelocity(1.0, 2.0, 3.0), 7.0);
    EXPECT_EQ(StepPosition(1.0, 2.0, 4.0, 3.0), 25.0);
}

TEST(Kinematics, NoFileFusesAProductIntoASum) {
    // Each probe runs in its own file with that file's flags, on operands the compiler
    // cannot fold: a fused multiply-add would give -2^-60 instead of 0.
    EXPECT_EQ(ContractionProbeReference(), 0.0) << "plain loop";
    EXPECT_EQ(ContractionProbeScalar(), 0.0) << "plain kernel";
    if (CpuSupports(SimdWidth::Avx2)) {
        EXPECT_EQ(ContractionProbeAvx2(), 0.0) << "avx2";
    }
    if (CpuSupports(SimdWidth::Avx2) && CpuSupportsFusedMultiplyAdd()) {
        EXPECT_EQ(ContractionProbeAvx2Corrected(), 0.0) << "avx2 with fma";
    }
    if (CpuSupports(SimdWidth::Avx512)) {
        EXPECT_EQ(ContractionProbeAvx512(), 0.0) << "avx512";
    }
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
