// A double whose every operation tests the floating-point flags and throws at the first
// fault. Replaying a computation with it names the operation that failed first, exactly
// as a check after every statement would.
#pragma once

#include <cmath>

#include "core/FpFault.h"

/// Thrown by CheckedDouble at the first faulting operation.
struct FaultFound {
    FpFault fault;
};

class CheckedDouble {
  public:
    CheckedDouble(double v = 0) : v_(v) {}  // NOLINT: converts like a double
    double value() const { return v_; }

    friend CheckedDouble operator+(CheckedDouble a, CheckedDouble b) {
        return Checked([&] { return a.v_ + b.v_; });
    }
    friend CheckedDouble operator-(CheckedDouble a, CheckedDouble b) {
        return Checked([&] { return a.v_ - b.v_; });
    }
    friend CheckedDouble operator*(CheckedDouble a, CheckedDouble b) {
        return Checked([&] { return a.v_ * b.v_; });
    }
    friend CheckedDouble operator/(CheckedDouble a, CheckedDouble b) {
        return Checked([&] { return a.v_ / b.v_; });
    }
    friend CheckedDouble sqrt(CheckedDouble a) {
        return Checked([&] { return std::sqrt(a.v_); });
    }

  private:
    template <class F>
    static CheckedDouble Checked(F op) {
        ClearFpFlags();
        volatile double r = op();  // volatile: the flags are tested after the operation
        const FpFault f = TestFpFault();
        if (f != FpFault::None) throw FaultFound{f};
        return CheckedDouble(r);
    }

    double v_;
};
