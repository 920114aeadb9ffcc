#include "processing/ReferenceWalk.h"

ReferenceWalk::ReferenceWalk(const Spectrum* spectrum)
    : m_spectrum(spectrum),
      m_points(spectrum->points().data()),
      m_n(spectrum->count()),
      m_offset(spectrum->offsetInForce())
{
    for (int i = 1; i < m_n; ++i) {
        if (!(m_points[i - 1].x <= m_points[i].x)) {
            m_ordered = false;
            break;
        }
    }
}

int ReferenceWalk::bisect(double e) const
{
    int lo = 0;
    int hi = m_n - 1;
    while (lo < hi - 1) {
        const int mid = (lo + hi) / 2;
        if (e < m_points[mid].x - m_offset)
            hi = mid;
        else
            lo = mid;
    }
    return lo;
}
