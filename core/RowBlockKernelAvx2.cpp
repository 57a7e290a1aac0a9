// The row-block kernel with 256-bit vectors and true divisions, four rows at a time.
// Compiled with AVX2 enabled for this file alone; called only after the processor check.
#include "core/RowBlock.h"
#include "core/RowBlockOpsAvx2.h"

void ComputeRowBlockAvx2(const RowBlockArgs& args, int row0) {
    ComputeRowBlock<Avx2>(args, row0);
}

double ContractionProbeAvx2() {
    return ContractionProbe<Avx2>();
}
