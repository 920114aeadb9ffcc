#include "processing/ReferenceWalk.h"

ReferenceWalk::ReferenceWalk(const Spectrum* spectrum)
    : m_spectrum(spectrum), m_n(spectrum->count())
{
    const SpectrumPoint* p = spectrum->points().data();
    // The same subtraction valueAt makes, so the energies are the same doubles.
    const double o = spectrum->offsetInForce();
    for (int i = 1; i < m_n; ++i) {
        if (!(p[i - 1].x - o <= p[i].x - o)) {
            m_ordered = false;
            break;
        }
    }
    if (!m_ordered || m_n < 2)
        return;
    m_segments.resize(std::size_t(m_n - 1));
    m_secondY = p[1].y;
    m_lastY = p[m_n - 1].y;
    for (int i = 0; i + 1 < m_n; ++i) {
        Segment& s = m_segments[std::size_t(i)];
        s.x = p[i].x - o;
        s.y = p[i].y;
        s.xNext = p[i + 1].x - o;
        // A segment whose ends share their energy never brackets an energy.
        s.slope = s.xNext != s.x ? (p[i + 1].y - s.y) / (s.xNext - s.x) : 0.0;
    }
}

double ReferenceWalk::slowValueAt(double e) const
{
    return m_spectrum ? m_spectrum->valueAt(e) : 0.0;
}

int ReferenceWalk::bisect(double e) const
{
    int lo = 0;
    int hi = m_n - 1;
    while (lo < hi - 1) {
        const int mid = (lo + hi) / 2;
        if (e < m_segments[std::size_t(mid)].x)
            hi = mid;
        else
            lo = mid;
    }
    return lo;
}

ReferenceWalk::View ReferenceWalk::view() const
{
    View v;
    if (m_segments.empty())
        return v;
    v.s = m_segments.data();
    v.first = m_segments.front().x;
    v.last = m_segments.back().xNext;
    v.secondY = m_secondY;
    v.lastY = m_lastY;
    v.n = m_n;
    return v;
}
