// Rows of the integration phase in tiles of one vector width, with the floating-point
// flags tested once per tile: often enough to name the tile that faulted, rarely enough to
// cost nothing next to the tile's pairs.
#pragma once

#include "IntegrationWorkspace.h"
#include "SimdWidth.h"

/// Tiles of this width that cover n rows.
int TileCount(int n, SimdWidth width);

/// Computes the tiles [firstTile, endTile) into the workspace on the calling thread, whose
/// flags it clears. Returns the first row of the first tile that raised a fault flag, or
/// ws.n when none did.
int ComputeTiles(IntegrationWorkspace& ws, SimdWidth width, int firstTile, int endTile);
