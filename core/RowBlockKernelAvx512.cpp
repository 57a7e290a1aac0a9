// The row-block kernels with 512-bit vectors, eight rows at a time, with true divisions and
// with corrected reciprocals. Compiled with AVX-512F (which has the fused multiply-add)
// enabled for this file alone; called only after the processor check.
#include <immintrin.h>

#include "core/RowBlock.h"

namespace {

struct Avx512 {
    using V = __m512d;
    using M = __mmask8;
    static constexpr int kLanes = 8;

    static V Broadcast(double d) { return _mm512_set1_pd(d); }
    static V Sqrt(V a) { return _mm512_sqrt_pd(a); }
    static V Min(V a, V b) { return _mm512_min_pd(a, b); }
    static V Max(V a, V b) { return _mm512_max_pd(a, b); }
    static V Abs(V a) { return _mm512_abs_pd(a); }
    static V MultiplyAdd(V a, V b, V c) { return _mm512_fmadd_pd(a, b, c); }
    static V NegativeMultiplyAdd(V a, V b, V c) { return _mm512_fnmadd_pd(a, b, c); }

    /// Lanes whose row is below n and is not j.
    static M PairMask(int row0, int j, int n) {
        const int real = n - row0 < kLanes ? n - row0 : kLanes;
        return static_cast<M>(((1u << real) - 1) & ~(1u << (j - row0)));
    }
    // Masked-off lanes give 0 and raise no flag. Their operands are made harmless as well
    // (0 × 0, 0 ÷ 1, the root of 0): some compilers (clang) turn a masked intrinsic into
    // the whole operation and a select, which would raise the masked lanes' flags.
    static V Select(M m, V a, V b) { return _mm512_mask_blend_pd(m, b, a); }
    static V MaskzMul(M m, V a, V b) {
        const V zero = _mm512_setzero_pd();
        return _mm512_maskz_mul_pd(m, Select(m, a, zero), Select(m, b, zero));
    }
    static V MaskzDiv(M m, V a, V b) {
        return _mm512_maskz_div_pd(m, Select(m, a, _mm512_setzero_pd()),
                                   Select(m, b, Broadcast(1)));
    }
    static V MaskzSqrt(M m, V a) {
        return _mm512_maskz_sqrt_pd(m, Select(m, a, _mm512_setzero_pd()));
    }
    // Masked-off lanes keep the sum as it was (adding 0 would turn -0 into +0).
    static V MaskAdd(M m, V sum, V t) { return _mm512_mask_add_pd(sum, m, sum, t); }
};

}  // namespace

void ComputeRowBlockAvx512(const RowBlockArgs& args, int row0) {
    ComputeRowBlock<Avx512>(args, row0);
}

void ComputeRowBlockAvx512Corrected(const RowBlockArgs& args, int row0) {
    ComputeRowBlock<Avx512, true>(args, row0);
}

void CorrectedQuotientsAvx512(const double* a, const double* b, double* out, long count) {
    CorrectedQuotients<Avx512>(a, b, out, count);
}

double ContractionProbeAvx512() {
    return ContractionProbe<Avx512>();
}
