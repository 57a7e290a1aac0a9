// The row-block kernel with plain doubles, one row at a time, for processors without AVX2:
// the same code as the vector kernels with a lane count of one.
#include <cmath>

#include "core/RowBlock.h"

namespace {

struct Scalar {
    using V = double;
    using M = bool;  ///< whether the row counts for this j
    static constexpr int kLanes = 1;

    static V Broadcast(double d) { return d; }
    static V Sqrt(V a) { return std::sqrt(a); }
    // As the vector instructions: the second operand when either is a NaN.
    static V Min(V a, V b) { return a < b ? a : b; }
    static V Max(V a, V b) { return a > b ? a : b; }
    static V Abs(V a) { return std::fabs(a); }

    static M PairMask(int row0, int j, int n) { return row0 < n && row0 != j; }
    static V MaskzMul(M m, V a, V b) { return m ? a * b : 0; }
    static V MaskzDiv(M m, V a, V b) { return m ? a / b : 0; }
    static V MaskzSqrt(M m, V a) { return m ? std::sqrt(a) : 0; }
    static V MaskAdd(M m, V sum, V t) { return m ? sum + t : sum; }
};

}  // namespace

void ComputeRowBlockScalar(const RowBlockArgs& args, int row0) {
    ComputeRowBlock<Scalar>(args, row0);
}

double ContractionProbeScalar() {
    return ContractionProbe<Scalar>();
}
