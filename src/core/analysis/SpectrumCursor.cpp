#include "analysis/SpectrumCursor.h"

#include <cmath>

void SpectrumCursor::reset(const Spectrum& s)
{
    m_spectrum = &s;
    m_p = s.points().data();
    m_n = s.count();
    m_o = s.offsetInForce();
    m_k = 0;
    m_walk = m_n >= 2;
    // The energies as valueAt computes them must not decrease; a NaN fails
    // the comparison and sends every evaluation to valueAt. With no offset
    // (+0) the energies are the stored x themselves.
    const SpectrumPoint* p = m_p;
    const double o = m_o;
    if (o == 0.0 && !std::signbit(o)) {
        for (int i = 0; m_walk && i + 1 < m_n; ++i)
            m_walk = p[i + 1].x >= p[i].x;
    } else {
        for (int i = 0; m_walk && i + 1 < m_n; ++i)
            m_walk = p[i + 1].x - o >= p[i].x - o;
    }
}
