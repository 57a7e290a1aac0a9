// The vector operations of the AVX2 row-block kernels, four rows at a time. Include only
// from a kernel file compiled with AVX2 enabled: the struct is in an anonymous namespace so
// that nothing of it is shared with code compiled for other instruction sets.
#pragma once

#include <immintrin.h>

namespace {

struct Avx2 {
    using V = __m256d;
    using M = __m256d;  ///< all ones in the lanes that count
    static constexpr int kLanes = 4;

    static V Broadcast(double d) { return _mm256_set1_pd(d); }
    static V Sqrt(V a) { return _mm256_sqrt_pd(a); }
    static V Min(V a, V b) { return _mm256_min_pd(a, b); }
    static V Max(V a, V b) { return _mm256_max_pd(a, b); }
    static V Abs(V a) { return _mm256_andnot_pd(Broadcast(-0.0), a); }

    /// Lanes whose row is below n and is not j.
    static M PairMask(int row0, int j, int n) {
        long long lane[kLanes];
        for (int l = 0; l < kLanes; ++l) {
            const int row = row0 + l;
            lane[l] = row < n && row != j ? -1 : 0;
        }
        return _mm256_castsi256_pd(_mm256_setr_epi64x(lane[0], lane[1], lane[2], lane[3]));
    }
    // Without masked arithmetic the masked-off lanes get harmless operands (0 × 0, 0 ÷ 1,
    // the root of 0), so they give 0 and raise no flag.
    static V Select(M m, V a, V b) { return _mm256_blendv_pd(b, a, m); }
    static V MaskzMul(M m, V a, V b) {
        const V zero = _mm256_setzero_pd();
        return Select(m, a, zero) * Select(m, b, zero);
    }
    static V MaskzDiv(M m, V a, V b) {
        return Select(m, a, _mm256_setzero_pd()) / Select(m, b, Broadcast(1));
    }
    static V MaskzSqrt(M m, V a) { return Sqrt(Select(m, a, _mm256_setzero_pd())); }
    // Masked-off lanes keep the sum as it was (adding 0 would turn -0 into +0).
    static V MaskAdd(M m, V sum, V t) { return Select(m, sum + t, sum); }
};

}  // namespace
