#pragma once

#include "grid/ScanGrid.h"

#include <QtGlobal>

// The block centres of a scan grid as columns and rows, in the order a walk
// from restart() visits them: row j at y0 + halfHeight + j stepY, column i at
// x0 + halfWidth + i stepX; every walk has at least one row and one column.
struct GridAxes {
    // More points than this are refused by the writers (a 2048 x 2048 map
    // with one point per pixel has 2^22).
    static constexpr qint64 maxPoints = qint64(1) << 27;

    int columns = 1;
    int rows = 1;
    qint64 firstX = 0;
    qint64 firstY = 0;
    qint64 stepX = 1;
    qint64 stepY = 1;

    static GridAxes of(const ScanGrid& grid)
    {
        GridAxes a;
        a.columns = qMax(1, grid.columns());
        a.rows = qMax(1, grid.rows());
        a.firstX = qint64(grid.x0) + grid.halfWidth;
        a.firstY = qint64(grid.y0) + grid.halfHeight;
        a.stepX = grid.stepX > 0 ? grid.stepX : 1;
        a.stepY = grid.stepY > 0 ? grid.stepY : 1;
        return a;
    }
    qint64 points() const { return qint64(columns) * rows; }
    int x(int i) const { return int(firstX + i * stepX); }
    int y(int j) const { return int(firstY + j * stepY); }
};
