// The interface between the integration driver and the vector kernels. Plain pointers
// only: the kernel files are compiled for other instruction sets and must not share
// inline code with the rest of the program.
#pragma once

/// Everything a kernel reads and writes for rows of the integration phase. The input
/// arrays hold PaddedRows(n) entries, those past n copies of the last row.
struct RowKernelArgs {
    const double *x, *y, *z, *mass, *vx, *vy, *vz;
    double *ax, *ay, *az, *nvx, *nvy, *nvz, *nx, *ny, *nz, *pairEnergy, *kinetic;
    int n;
    double G, dT, w;
};

/// Computes the rows [row0, row0 + lanes) exactly as the plain loop does; results of rows
/// past n are to be ignored. Raises a floating-point flag only if a real row does.
using TileKernel = void (*)(const RowKernelArgs& args, int row0);

/// Eight rows at a time with 512-bit vectors; needs AVX-512F.
void ComputeTileAvx512(const RowKernelArgs& args, int row0);
/// Four rows at a time with 256-bit vectors; needs AVX2.
void ComputeTileAvx2(const RowKernelArgs& args, int row0);
