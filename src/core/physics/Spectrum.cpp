#include "physics/Spectrum.h"

#include "physics/SpectrumFiles.h"

namespace {

// Straight line through (x1, y1) and (x2, y2) at x; the mean of y1 and y2
// when both points share their x.
inline double interpolate(double x1, double y1, double x2, double y2, double x)
{
    if (x1 == x2)
        return (y1 + y2) / 2.0;
    return y1 + (y2 - y1) / (x2 - x1) * (x - x1);
}

} // namespace

void Spectrum::clear()
{
    m_points.clear(); // keeps the capacity for the next fill
    m_min = SpectrumPoint{1e300, 1e300};
    m_max = SpectrumPoint{-1e300, -1e300};
    m_minYIndex = -1;
    m_maxYIndex = -1;
}

void Spectrum::assignPoints(const Spectrum& other, double shiftX)
{
    m_points = other.m_points;
    m_min = other.m_min;
    m_max = other.m_max;
    m_min.x -= shiftX;
    m_max.x -= shiftX;
    m_minYIndex = other.m_minYIndex;
    m_maxYIndex = other.m_maxYIndex;
}

double Spectrum::valueAt(double e) const
{
    return valueAt(m_points.data(), int(m_points.size()), offsetInForce(), e);
}

double Spectrum::valueAt(const SpectrumPoint* p, int n, double o, double e)
{
    if (n <= 0)
        return 0.0;
    if (n == 1)
        return p[0].y;
    if (e <= p[0].x - o)
        return interpolate(p[0].x - o, p[0].y, p[1].x - o, p[1].y, e);
    if (e >= p[n - 1].x - o)
        return interpolate(p[n - 2].x - o, p[n - 2].y, p[n - 1].x - o, p[n - 1].y, e);
    int lo = 0;
    int hi = n - 1;
    while (lo < hi - 1) {
        const int mid = (lo + hi) / 2;
        if (e < p[mid].x - o)
            hi = mid;
        else
            lo = mid;
    }
    return interpolate(p[lo].x - o, p[lo].y, p[hi].x - o, p[hi].y, e);
}

double Spectrum::crossingEnergy(double fraction, Direction direction) const
{
    const int n = int(m_points.size());
    if (n == 0)
        return 0.0;
    const SpectrumPoint* p = m_points.data();
    const double o = offsetInForce();
    const double level = m_min.y + fraction * (m_max.y - m_min.y);
    for (int i = 0; i + 1 < n; ++i) {
        const double y0 = p[i].y;
        const double y1 = p[i + 1].y;
        bool hit;
        switch (direction) {
        case Rising:
            hit = y0 < level && level <= y1;
            break;
        case Falling:
            hit = y0 > level && level >= y1;
            break;
        default:
            hit = (y1 - level) * (y0 - level) <= 0.0;
            break;
        }
        if (!hit)
            continue;
        const double e0 = p[i].x - o;
        const double e1 = p[i + 1].x - o;
        if (y0 == y1)
            return (e0 + e1) / 2.0;
        return e0 + (e1 - e0) / (y1 - y0) * (level - y0);
    }
    return p[0].x - o;
}

bool Spectrum::loadFromText(const QString& path)
{
    return SpectrumFiles::readPlainText(path, *this);
}

bool Spectrum::loadFrom9809(const QString& path)
{
    return SpectrumFiles::read9809(path, *this);
}
