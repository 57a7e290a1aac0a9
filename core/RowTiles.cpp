// The tile loop of one thread.
#include "RowTiles.h"

#include "FpFault.h"
#include "ReferenceRow.h"

int TileCount(int n, SimdWidth width) {
    return (n + Lanes(width) - 1) / Lanes(width);
}

int ComputeTiles(IntegrationWorkspace& ws, SimdWidth width, int firstTile, int endTile) {
    const TileKernel kernel = KernelFor(width);
    const RowKernelArgs args = ws.KernelArgs();
    const int lanes = Lanes(width);
    for (int tile = firstTile; tile < endTile; ++tile) {
        const int row0 = tile * lanes;
        ClearFpFlags();
        if (kernel)
            kernel(args, row0);
        else
            IntegrateRowsReference(ws, row0, row0 + 1);
        if (TestFpFault() != FpFault::None) return row0;
    }
    return ws.n;
}
