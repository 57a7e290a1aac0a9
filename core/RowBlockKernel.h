// The interface between the integrator and the kernels that compute a row block, one row
// per vector lane. Plain pointers only: the kernel files are compiled for other
// instruction sets and must not share inline code with the rest of the program.
#pragma once

/// Everything a kernel reads and writes (the meaning of each array is given in
/// IntegrationWorkspace). The per-row arrays hold PaddedRows(n) entries, those past n
/// copies of the last row.
struct RowBlockArgs {
    const double *x, *y, *z, *mass, *massG, *vx, *vy, *vz, *gridScale, *gridLimit;
    double *ax, *ay, *az, *nvx, *nvy, *nvz, *nx, *ny, *nz, *kinetic;
    double *gridSum, *gridLowest, *gridWorstRounding, *rowPairSum;
    double* const* blockAmounts;
    const unsigned char* inCorrectionWindow;  ///< per body: quotients may use reciprocals
    bool nonNegativeAmounts;                  ///< G and every mass are ≥ 0
    int n;
    double G, dT, w;
};

/// Computes the rows [row0, row0 + lanes) exactly as the plain loop does; results of rows
/// past n are to be ignored. Raises a floating-point flag only if a real row does.
using RowBlockKernel = void (*)(const RowBlockArgs& args, int row0);

/// Eight rows at a time with 512-bit vectors; needs AVX-512F.
void ComputeRowBlockAvx512(const RowBlockArgs& args, int row0);
/// The same with two divisions a pair: reciprocals corrected to each quotient.
void ComputeRowBlockAvx512Corrected(const RowBlockArgs& args, int row0);
/// Four rows at a time with 256-bit vectors; needs AVX2.
void ComputeRowBlockAvx2(const RowBlockArgs& args, int row0);
/// The same with corrected reciprocals; needs AVX2 and FMA3.
void ComputeRowBlockAvx2Corrected(const RowBlockArgs& args, int row0);
/// out[k] = a[k] ÷ b[k] by the kernels' corrected reciprocals, count a multiple of 8; for
/// the tests that hold the correction against the division.
void CorrectedQuotientsAvx512(const double* a, const double* b, double* out, long count);
void CorrectedQuotientsAvx2(const double* a, const double* b, double* out, long count);
/// One row at a time with plain doubles; runs on any x86-64.
void ComputeRowBlockScalar(const RowBlockArgs& args, int row0);

/// Each kernel file's ContractionProbe (RowBlock.h), built with that file's flags: 0 when
/// nothing is fused.
double ContractionProbeScalar();
double ContractionProbeAvx2();
double ContractionProbeAvx2Corrected();
double ContractionProbeAvx512();
