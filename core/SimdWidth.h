// The vector widths the integration phase can run with, and which of them this processor
// has. The shipped program runs on any x86-64 and picks the widest at run time.
#pragma once

#include <vector>

#include "core/RowBlockKernel.h"

/// Rows computed together; the value is the number of lanes.
enum class SimdWidth { Plain = 1, Avx2 = 4, Avx512 = 8 };

/// The widest width: the workspace pads its rows to a multiple of it.
inline constexpr int kMaxLanes = 8;

inline int Lanes(SimdWidth width) {
    return static_cast<int>(width);
}

/// Whether the processor (and the system, for the register state) supports the width.
bool CpuSupports(SimdWidth width);

/// The widest supported width; Plain on a processor without AVX2.
SimdWidth WidestSupportedSimd();

/// Every supported width, narrowest first.
std::vector<SimdWidth> SupportedSimdWidths();

/// "plain", "avx2" or "avx512".
const char* SimdWidthName(SimdWidth width);

/// Whether the processor has the fused multiply-add that corrected reciprocals need.
bool CpuSupportsFusedMultiplyAdd();

/// The row-block kernel of a vector width; with corrected, the one that takes quotients
/// from corrected reciprocals where the width and the processor allow it.
RowBlockKernel KernelFor(SimdWidth width, bool corrected);
