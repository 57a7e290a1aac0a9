// Rows of the integration phase in tiles of one vector width, with the floating-point
// flags tested once per tile: often enough to name the tile that faulted, rarely enough to
// cost nothing next to the tile's pairs.
#pragma once

#include "IntegrationWorkspace.h"
#include "SimdWidth.h"

/// Tiles of this width that cover n rows.
int TileCount(int n, SimdWidth width);

/// Computes the tiles [firstTile, endTile) into the workspace on the calling thread, whose
/// flags it clears. Stops at the first tile that raises a fault flag and returns its first
/// row, or ws.n when none did: the exact search starts there and never reads the rows
/// after the faulting one.
int ComputeTiles(IntegrationWorkspace& ws, SimdWidth width, int firstTile, int endTile);
