#pragma once

#include <QtGlobal>
#include <vector>

struct ScanGrid;

// The block centres of a scan grid that lie inside the images, as a column list
// and a row list: the grid visits every (xs[i], ys[j]) in the order j, then i
// (x fastest). Centres outside [0, width) x [0, height) are left out, since
// they have no spectrum; the ones kept are those a walk of the grid visits.
struct BlockGrid {
    std::vector<int> xs;
    std::vector<int> ys;
    int halfWidth = 0;
    int halfHeight = 0;

    int columns() const { return int(xs.size()); }
    int rows() const { return int(ys.size()); }
    qint64 blocks() const { return qint64(xs.size()) * qint64(ys.size()); }
    // Grid order index of the block in column i of row j.
    qint64 index(int i, int j) const { return qint64(j) * qint64(xs.size()) + i; }

    // The centres of `grid` (as walked from its first centre) that lie inside
    // width x height.
    static BlockGrid fromScanGrid(const ScanGrid& grid, int width, int height);
};
