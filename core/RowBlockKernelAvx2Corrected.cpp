// The row-block kernel with 256-bit vectors and corrected reciprocals, four rows at a time.
// Compiled with AVX2 and FMA3 enabled for this file alone; called only after the processor
// check for both.
#include "core/RowBlock.h"
#include "core/RowBlockOpsAvx2.h"

namespace {

struct Avx2Fma : Avx2 {
    static V MultiplyAdd(V a, V b, V c) { return _mm256_fmadd_pd(a, b, c); }
    static V NegativeMultiplyAdd(V a, V b, V c) { return _mm256_fnmadd_pd(a, b, c); }
};

}  // namespace

void ComputeRowBlockAvx2Corrected(const RowBlockArgs& args, int row0) {
    ComputeRowBlock<Avx2Fma, true>(args, row0);
}

void CorrectedQuotientsAvx2(const double* a, const double* b, double* out, long count) {
    CorrectedQuotients<Avx2Fma>(a, b, out, count);
}

double ContractionProbeAvx2Corrected() {
    return ContractionProbe<Avx2Fma>();
}
