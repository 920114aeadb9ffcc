#pragma once

#include <QRectF>
#include <QtGlobal>

// The grid of pixel blocks that every area-wide operation walks: block centres
// line by line (x fastest) from (x0 + halfWidth, y0 + halfHeight), a centre
// used while it lies below x1 (the first centre of every line always).
struct ScanGrid {
    // Largest coordinate a walk can reach; setup keeps areas well below it.
    static constexpr qint64 coordEnd = 0x7fffffff;

    int imageWidth = 0;
    int imageHeight = 0;
    int halfWidth = 0;
    int halfHeight = 0;
    int x0 = 0;
    int x1 = 0;
    int stepX = 1;
    int y0 = 0;
    int y1 = 0;
    int stepY = 1;
    int x = 0;
    int y = 0;

    // Area ends are truncated toward zero and swapped when reversed; a step
    // that is not positive becomes the block size (2 half + 1).
    void setup(int width, int height, int halfWidth, int halfHeight, const QRectF& area,
               int stepX, int stepY);
    // Back to the first block centre.
    void restart()
    {
        x = x0 + halfWidth;
        y = y0 + halfHeight;
    }
    // Moves to the next centre; newLine tells that a new grid line started.
    // False when the grid is exhausted.
    bool next(bool& newLine)
    {
        newLine = false;
        const qint64 nx = qint64(x) + (stepX > 0 ? stepX : 1);
        if (nx < x1) {
            x = int(nx);
            return true;
        }
        newLine = true;
        x = x0 + halfWidth;
        const qint64 ny = qint64(y) + (stepY > 0 ? stepY : 1);
        if (ny < y1) {
            y = int(ny);
            return true;
        }
        y = int(qMin<qint64>(ny, coordEnd));
        return false;
    }
    // Grid columns and rows as the spectra files and the as-analysed export
    // count them (never negative).
    int columns() const;
    int rows() const;
    // Number of centres a walk from restart() visits (at least one).
    qint64 pointCount() const;
};

// Writes v into every pixel of the block (cx +- xw, cy +- yw) that lies inside
// a width x height row-major map.
inline void fillMapBlock(double* map, int width, int height, int cx, int cy, int xw, int yw,
                         double v)
{
    const qint64 xa = qMax<qint64>(0, qint64(cx) - xw);
    const qint64 xb = qMin<qint64>(width - 1, qint64(cx) + xw);
    const qint64 ya = qMax<qint64>(0, qint64(cy) - yw);
    const qint64 yb = qMin<qint64>(height - 1, qint64(cy) + yw);
    for (qint64 yy = ya; yy <= yb; ++yy) {
        double* row = map + yy * width;
        for (qint64 xx = xa; xx <= xb; ++xx)
            row[xx] = v;
    }
}

// The value at (x, y) of a width x height row-major map; 0 outside.
inline double mapValueAt(const double* map, int width, int height, int x, int y)
{
    if (!map || x < 0 || y < 0 || x >= width || y >= height)
        return 0.0;
    return map[qint64(y) * width + x];
}
