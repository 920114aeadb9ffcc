#pragma once

#include "grid/BlockGrid.h"

#include <QtGlobal>

struct ScanGrid;

// Which centres of a walk make up its block grid: those whose blocks reach
// into the area, or only those that lie in it.
enum class BlockReach { Block, Centre };

// The walk of a scan grid split by what its points can reach. The block grid
// holds the centres whose blocks reach into [0, reachWidth) x [0, reachHeight)
// (the images and the maps): every centre c with -half <= c <= reach - 1 + half
// along each axis, a contiguous run of the walk's rows and columns. The other
// centres of the walk are "far": their blocks miss every image and every map,
// so their spectra are empty and whatever a run writes there changes no pixel,
// only a map's value range. A run handles a stretch of far points as one.
// With BlockReach::Centre the block grid keeps only the centres inside the
// area (0 <= c <= reach - 1), for runs that leave out a block whose centre
// misses the images; everything else of the walk counts as far then.
//
// Walk order: the far rows before the block grid's first row; then for every
// block-grid row its far columns on the left, its blocks, its far columns on
// the right; then the far rows after.
struct AreaWalk {
    BlockGrid blocks;
    // Rows of the whole walk, and the walk index of blocks.ys[0] (all rows
    // when the block grid is empty).
    qint64 walkRows = 1;
    qint64 firstRow = 0;
    // Walk row r lies at y = yStart + r * yStep.
    int yStart = 0;
    int yStep = 1;
    // Whether each block-grid row has far columns on the left / right.
    bool farLeft = false;
    bool farRight = false;

    bool isEmpty() const { return blocks.blocks() == 0; }
    qint64 rowsBefore() const { return firstRow; }
    qint64 rowsAfter() const { return walkRows - firstRow - blocks.rows(); }
    // Whether the walk has far points at all.
    bool hasFar() const { return isEmpty() || farLeft || farRight || rowsBefore() > 0 || rowsAfter() > 0; }
    qint64 walkY(qint64 row) const { return qint64(yStart) + row * yStep; }

    static AreaWalk of(const ScanGrid& grid, int reachWidth, int reachHeight,
                       BlockReach reach = BlockReach::Block);
};
