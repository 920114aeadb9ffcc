#include "plot/ChCoord.h"

#include <algorithm>
#include <cmath>

namespace {

bool nearEdge(double v, double a, double b, double tolerance)
{
    const double lo = std::min(a, b);
    const double hi = std::max(a, b);
    const double c = (hi - lo) * tolerance;
    return v <= lo + c || v >= hi - c;
}

double clampTo(double v, double a, double b)
{
    return std::clamp(v, std::min(a, b), std::max(a, b));
}

}

int ChTicks::count() const
{
    if (!isValid() || last < first)
        return 0;
    return int(std::llround((last - first) / step)) + 1;
}

ChCoord::ChCoord(QObject* parent)
    : QObject(parent)
{
}

void ChCoord::setScreen(double sx0, double sy0, double sx1, double sy1)
{
    m_sx0 = m_ix0 = sx0;
    m_sy0 = m_iy0 = sy0;
    m_sx1 = m_ix1 = sx1;
    m_sy1 = m_iy1 = sy1;
}

void ChCoord::applyMargins()
{
    const double w = m_sx1 - m_sx0;
    const double h = m_sy1 - m_sy0;
    m_ix0 = m_sx0 + std::trunc(m_mSx0 * w);
    m_ix1 = m_sx1 - std::trunc(m_mSx1 * w);
    m_iy0 = m_sy0 + std::trunc(m_mSy0 * h);
    m_iy1 = m_sy1 - std::trunc(m_mSy1 * h);
}

void ChCoord::setRange(double x0, double y0, double x1, double y1)
{
    setXRange(x0, x1);
    setYRange(y0, y1);
}

void ChCoord::setXRange(double x0, double x1)
{
    m_x0 = x0;
    m_x1 = x1;
}

void ChCoord::setYRange(double y0, double y1)
{
    m_y0 = y0;
    m_y1 = y1;
}

double ChCoord::realXClamped(double sx) const
{
    return clampTo(realX(sx), m_x0, m_x1);
}

double ChCoord::realYClamped(double sy) const
{
    return clampTo(realY(sy), m_y0, m_y1);
}

bool ChCoord::nearXEdge(double x) const
{
    return nearEdge(x, m_x0, m_x1, m_tolX);
}

bool ChCoord::nearYEdge(double y) const
{
    return nearEdge(y, m_y0, m_y1, m_tolY);
}

ChTicks ChCoord::ticks(double a, double b)
{
    static const double multipliers[9] = {0.2, 0.2, 0.5, 0.5, 1.0, 1.0, 1.0, 2.0, 2.0};
    if (a > b)
        std::swap(a, b);
    const double range = b - a;
    if (!(range > 0.0) || !std::isfinite(range))
        return {};
    const double p = std::pow(10.0, std::floor(std::log10(range)));
    // The small factor keeps 0.3 / 0.1 = 2.9999... from losing a whole step.
    const int k = std::clamp(int(std::trunc(range / p * (1.0 + 1e-12))) - 1, 0, 8);
    ChTicks t;
    t.step = p * multipliers[k];
    const double eps = 1e-9;
    t.first = std::ceil(a / t.step - eps) * t.step;
    t.last = std::floor(b / t.step + eps) * t.step;
    return t;
}

void ChCoord::setEdgeTolerance(double tx, double ty)
{
    m_tolX = tx;
    m_tolY = ty;
}

void ChCoord::setMargins(double atSx0, double atSx1, double atSy1, double atSy0)
{
    m_mSx0 = atSx0;
    m_mSx1 = atSx1;
    m_mSy1 = atSy1;
    m_mSy0 = atSy0;
}

void ChCoord::setLayoutDivisors(int d1, int d2)
{
    m_div1 = d1;
    m_div2 = d2;
}
