#include "base/LogCategories.h"
#include "grid/MapDeglitch.h"

#include <QDebug>
#include <cmath>

namespace MapDeglitch {

namespace {

// The map, its block size and the neighbour test shared by both procedures.
struct BlockMap {
    const double* data;
    int w;
    int h;
    int sx;
    int sy;

    bool inside(qint64 x, qint64 y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    double at(qint64 x, qint64 y) const { return inside(x, y) ? data[y * w + x] : 0.0; }
};

BlockMap blockMap(const double* data, const ScanGrid& grid)
{
    return {data, grid.imageWidth, grid.imageHeight, 2 * grid.halfWidth + 1,
            2 * grid.halfHeight + 1};
}

// Visits every block centre of the grid in grid order, writing `label` and the
// centre y at the start of every block row.
template <typename Visit>
void walk(ScanGrid grid, const char* label, Visit visit)
{
    grid.restart();
    bool newLine = true;
    do {
        if (newLine)
            qCDebug(lcGrid).noquote() << label << grid.y;
        visit(grid.x, grid.y);
    } while (grid.next(newLine));
}

struct RangeTracker {
    Range r{1e300, -1e300};
    void add(double v)
    {
        if (v < r.min)
            r.min = v;
        if (v > r.max)
            r.max = v;
    }
};

}

Range deglitch(const double* data, double* proc, const ScanGrid& grid, double minValue,
               double maxValue, double factor, double ratio)
{
    const BlockMap m = blockMap(data, grid);
    const int a = grid.halfWidth;
    const int b = grid.halfHeight;

    double sum = 0.0;
    qint64 blocks = 0;
    walk(grid, "deglitch", [&](int x, int y) {
        const double c2 = 2.0 * m.at(x, y);
        const bool horiz = m.inside(qint64(x) - m.sx, y) && m.inside(qint64(x) + m.sx, y);
        const bool vert = m.inside(x, qint64(y) - m.sy) && m.inside(x, qint64(y) + m.sy);
        const double ch = horiz ? std::fabs(c2 - m.at(qint64(x) - m.sx, y) - m.at(qint64(x) + m.sx, y)) : 0.0;
        const double cv = vert ? std::fabs(c2 - m.at(x, qint64(y) - m.sy) - m.at(x, qint64(y) + m.sy)) : 0.0;
        const double c = horiz && vert ? (ch + cv) / 2.0 : (horiz ? ch : cv);
        fillMapBlock(proc, m.w, m.h, x, y, a, b, c);
        sum += c;
        ++blocks;
    });
    const double threshold = sum / double(blocks) * factor;
    const double band = (maxValue - minValue) * ratio;
    // Inclusive ends, so that a ratio of 0 still picks the blocks at exactly
    // the minimum or the maximum.
    const double lowEnd = minValue + band;
    const double highEnd = maxValue - band;

    RangeTracker range;
    walk(grid, "deglitch 2", [&](int x, int y) {
        double h = m.at(x, y);
        const double curvature = mapValueAt(proc, m.w, m.h, x, y);
        if (curvature > threshold && (h <= lowEnd || h >= highEnd)) {
            static const int offsets[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
            double s = 0.0;
            int n = 0;
            for (const auto& o : offsets) {
                const qint64 nx = qint64(x) + o[0] * m.sx;
                const qint64 ny = qint64(y) + o[1] * m.sy;
                if (m.inside(nx, ny)) {
                    s += m.at(nx, ny);
                    ++n;
                }
            }
            if (n > 0)
                h = s / n;
        }
        fillMapBlock(proc, m.w, m.h, x, y, a, b, h);
        range.add(h);
    });
    return range.r;
}

Range deglitch2(const double* data, double* proc, const ScanGrid& grid, double limit)
{
    const BlockMap m = blockMap(data, grid);

    double sum = 0.0;
    qint64 plausible = 0;
    walk(grid, "deglitch2", [&](int x, int y) {
        const double v = m.at(x, y);
        if (std::fabs(v) < limit) {
            sum += v;
            ++plausible;
        }
    });
    const double typical = plausible > 0 ? sum / double(plausible) : 0.0;

    RangeTracker range;
    walk(grid, "deglitch 2", [&](int x, int y) {
        double c = m.at(x, y);
        if (std::fabs(c - typical) > limit) {
            static const int offsets[8][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1},
                                              {0, 1},   {1, -1}, {1, 0},  {1, 1}};
            double s = 0.0;
            int n = 0;
            for (const auto& o : offsets) {
                const qint64 nx = qint64(x) + o[0] * m.sx;
                const qint64 ny = qint64(y) + o[1] * m.sy;
                if (!m.inside(nx, ny))
                    continue;
                const double g = m.at(nx, ny);
                if (std::fabs(g - typical) < limit) {
                    s += g;
                    ++n;
                }
            }
            c = n > 0 ? s / n : 0.0;
        }
        fillMapBlock(proc, m.w, m.h, x, y, grid.halfWidth, grid.halfHeight, c);
        range.add(c);
    });
    return range.r;
}

}
