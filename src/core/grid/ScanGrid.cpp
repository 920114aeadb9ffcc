#include "grid/ScanGrid.h"

#include <cmath>
#include <utility>

namespace {

// Coordinates and sizes are kept well inside int so that a centre plus a half
// size or a step never overflows.
constexpr int coordLimit = 1 << 30;
constexpr int halfLimit = 1 << 28;

int truncToInt(double v)
{
    if (std::isnan(v))
        return 0;
    if (v > coordLimit)
        return coordLimit;
    if (v < -coordLimit)
        return -coordLimit;
    return int(v);   // toward zero
}

int clampInt(int v, int lo, int hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

}

void ScanGrid::setup(int width, int height, int halfW, int halfH, const QRectF& area,
                     int stepx, int stepy)
{
    imageWidth = qMax(0, width);
    imageHeight = qMax(0, height);
    halfWidth = clampInt(halfW, 0, halfLimit);
    halfHeight = clampInt(halfH, 0, halfLimit);
    stepX = stepx > 0 ? stepx : 2 * halfWidth + 1;
    stepY = stepy > 0 ? stepy : 2 * halfHeight + 1;
    x0 = truncToInt(area.x());
    x1 = truncToInt(area.x() + area.width());
    y0 = truncToInt(area.y());
    y1 = truncToInt(area.y() + area.height());
    if (x1 < x0)
        std::swap(x0, x1);
    if (y1 < y0)
        std::swap(y0, y1);
    restart();
}

int ScanGrid::columns() const
{
    const qint64 step = stepX > 0 ? stepX : 1;
    return int(qMax<qint64>(0, (qint64(x1) - x0 - halfWidth - 1) / step + 1));
}

int ScanGrid::rows() const
{
    const qint64 step = stepY > 0 ? stepY : 1;
    return int(qMax<qint64>(0, (qint64(y1) - y0 - halfHeight - 1) / step + 1));
}

qint64 ScanGrid::pointCount() const
{
    return qint64(qMax(1, columns())) * qMax(1, rows());
}
