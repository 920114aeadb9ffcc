#include "grid/BlockGrid.h"

#include "grid/ScanGrid.h"

namespace {

// Smallest integer >= a / b for b > 0.
qint64 ceilDiv(qint64 a, qint64 b)
{
    return a >= 0 ? (a + b - 1) / b : -((-a) / b);
}

// Largest integer <= a / b for b > 0.
qint64 floorDiv(qint64 a, qint64 b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

} // namespace

std::vector<int> BlockGrid::axisCentres(int start, int end, int step, int size)
{
    std::vector<int> out;
    const qint64 s = step > 0 ? step : 1;
    // Centres visited: index 0 always, then every index whose centre is below end.
    const qint64 visited = qMax<qint64>(1, ceilDiv(qint64(end) - start, s));
    // Of those, the ones inside [0, size).
    const qint64 first = qMax<qint64>(0, ceilDiv(-qint64(start), s));
    const qint64 last = qMin<qint64>(visited - 1, floorDiv(qint64(size) - 1 - start, s));
    if (size <= 0 || last < first)
        return out;
    out.reserve(std::size_t(last - first + 1));
    for (qint64 i = first; i <= last; ++i)
        out.push_back(int(start + i * s));
    return out;
}

BlockGrid BlockGrid::fromScanGrid(const ScanGrid& grid, int width, int height)
{
    BlockGrid g;
    g.halfWidth = grid.halfWidth;
    g.halfHeight = grid.halfHeight;
    g.xs = axisCentres(grid.x0 + grid.halfWidth, grid.x1, grid.stepX, width);
    g.ys = axisCentres(grid.y0 + grid.halfHeight, grid.y1, grid.stepY, height);
    if (g.xs.empty() || g.ys.empty()) {
        g.xs.clear();
        g.ys.clear();
    }
    return g;
}
