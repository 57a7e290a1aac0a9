// Floating-point faults (invalid operation, division by zero, overflow) observed through
// the sticky exception flags of the calling thread. Underflow and inexact are not faults.
#pragma once

#include <cfenv>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

enum class FpFault { None, InvalidOperation, DivisionByZero, Overflow };

inline constexpr int kFaultFlags = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

#if defined(__SSE2__)
// Every double of this program is computed in the SSE registers, whose flags are the low
// bits of MXCSR in the same positions as the FE_ constants. Reading and writing MXCSR alone
// costs a few cycles, where feclearexcept also rewrites the x87 environment, which cost a
// few percent of a phase of 100 bodies.
static_assert(FE_INVALID == 0x01 && FE_DIVBYZERO == 0x04 && FE_OVERFLOW == 0x08);
inline constexpr unsigned kMxcsrFlags = 0x3F;
inline void ClearFpFlags() {
    _mm_setcsr(_mm_getcsr() & ~kMxcsrFlags);
}
inline int RaisedFpFlags() {
    return static_cast<int>(_mm_getcsr()) & kFaultFlags;
}
#else
inline void ClearFpFlags() {
    std::feclearexcept(FE_ALL_EXCEPT);
}
inline int RaisedFpFlags() {
    return std::fetestexcept(kFaultFlags);
}
#endif

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
    return FaultFromFlags(RaisedFpFlags());
}
