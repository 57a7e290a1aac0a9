// Processor checks and the kernel of each width.
#include "core/SimdWidth.h"

bool CpuSupports(SimdWidth width) {
    __builtin_cpu_init();  // may run before the static constructors that would do it
    switch (width) {
        case SimdWidth::Plain:
            return true;
        case SimdWidth::Avx2:
            return __builtin_cpu_supports("avx2");
        case SimdWidth::Avx512:
            return __builtin_cpu_supports("avx512f");
    }
    return false;
}

SimdWidth WidestSupportedSimd() {
    for (SimdWidth width : {SimdWidth::Avx512, SimdWidth::Avx2})
        if (CpuSupports(width)) return width;
    return SimdWidth::Plain;
}

std::vector<SimdWidth> SupportedSimdWidths() {
    std::vector<SimdWidth> widths;
    for (SimdWidth width : {SimdWidth::Plain, SimdWidth::Avx2, SimdWidth::Avx512})
        if (CpuSupports(width)) widths.push_back(width);
    return widths;
}

const char* SimdWidthName(SimdWidth width) {
    switch (width) {
        case SimdWidth::Plain:
            return "plain";
        case SimdWidth::Avx2:
            return "avx2";
        case SimdWidth::Avx512:
            return "avx512";
    }
    return "";
}

bool CpuSupportsFusedMultiplyAdd() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("fma");
}

RowBlockKernel KernelFor(SimdWidth width, bool corrected) {
    switch (width) {
        case SimdWidth::Plain:
            return ComputeRowBlockScalar;
        case SimdWidth::Avx2:
            return corrected && CpuSupportsFusedMultiplyAdd() ? ComputeRowBlockAvx2Corrected
                                                              : ComputeRowBlockAvx2;
        case SimdWidth::Avx512:  // AVX-512F has the fused multiply-add itself
            return corrected ? ComputeRowBlockAvx512Corrected : ComputeRowBlockAvx512;
    }
    return nullptr;
}
