#include "grid/BlockGrid.h"

#include "grid/AreaWalk.h"
#include "grid/ScanGrid.h"

BlockGrid BlockGrid::fromScanGrid(const ScanGrid& grid, int width, int height)
{
    return AreaWalk::of(grid, width, height, BlockReach::Centre).blocks;
}
