// Floating-point faults (invalid operation, division by zero, overflow) observed through
// the sticky exception flags of the calling thread. Underflow and inexact are not faults.
#pragma once

#include <cfenv>

enum class FpFault { None, InvalidOperation, DivisionByZero, Overflow };

inline constexpr int kFaultFlags = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

inline void ClearFpFlags() {
    std::feclearexcept(FE_ALL_EXCEPT);
}

/// The fault that the flags raised since the last clear report. When several are raised,
/// the one that usually causes the others wins: an infinity from a division by zero or an
/// overflow is what later makes inf - inf or 0 × inf invalid.
inline FpFault FaultFromFlags(int flags) {
    if (flags & FE_DIVBYZERO) return FpFault::DivisionByZero;
    if (flags & FE_OVERFLOW) return FpFault::Overflow;
    if (flags & FE_INVALID) return FpFault::InvalidOperation;
    return FpFault::None;
}

inline FpFault TestFpFault() {
    return FaultFromFlags(std::fetestexcept(kFaultFlags));
}
