#include "grid/AreaWalk.h"

#include "grid/ScanGrid.h"

namespace {

qint64 ceilDiv(qint64 a, qint64 b)
{
    return a >= 0 ? (a + b - 1) / b : -((-a) / b);
}

qint64 floorDiv(qint64 a, qint64 b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// One axis of the walk: centres start + i * step for i in [0, visited), the
// first always visited, the others while below end. [first, last] are the
// indices of the centres within [lo, hi] (first > last when none is).
struct Axis {
    qint64 visited = 1;
    qint64 first = 0;
    qint64 last = -1;
};

Axis axis(int start, int end, int step, qint64 lo, qint64 hi)
{
    Axis a;
    const qint64 s = step > 0 ? step : 1;
    a.visited = qMax<qint64>(1, ceilDiv(qint64(end) - start, s));
    a.first = qMax<qint64>(0, ceilDiv(lo - start, s));
    a.last = qMin<qint64>(a.visited - 1, floorDiv(hi - start, s));
    return a;
}

} // namespace

AreaWalk AreaWalk::of(const ScanGrid& grid, int reachWidth, int reachHeight, BlockReach reach)
{
    AreaWalk w;
    const int hw = grid.halfWidth;
    const int hh = grid.halfHeight;
    // How far outside the area a centre may lie.
    const qint64 mx = reach == BlockReach::Block ? hw : 0;
    const qint64 my = reach == BlockReach::Block ? hh : 0;
    w.blocks.halfWidth = hw;
    w.blocks.halfHeight = hh;
    w.yStart = grid.y0 + hh;
    w.yStep = grid.stepY > 0 ? grid.stepY : 1;
    const int xStart = grid.x0 + hw;
    const int xStep = grid.stepX > 0 ? grid.stepX : 1;
    const Axis ax = axis(xStart, grid.x1, xStep, -mx, qint64(reachWidth) - 1 + mx);
    const Axis ay = axis(w.yStart, grid.y1, w.yStep, -my, qint64(reachHeight) - 1 + my);
    w.walkRows = ay.visited;
    if (reachWidth <= 0 || reachHeight <= 0 || ax.first > ax.last || ay.first > ay.last) {
        w.firstRow = w.walkRows;
        return w;
    }
    w.firstRow = ay.first;
    w.farLeft = ax.first > 0;
    w.farRight = ax.last < ax.visited - 1;
    w.blocks.xs.reserve(std::size_t(ax.last - ax.first + 1));
    for (qint64 i = ax.first; i <= ax.last; ++i)
        w.blocks.xs.push_back(int(xStart + i * xStep));
    w.blocks.ys.reserve(std::size_t(ay.last - ay.first + 1));
    for (qint64 j = ay.first; j <= ay.last; ++j)
        w.blocks.ys.push_back(int(w.yStart + j * w.yStep));
    return w;
}
