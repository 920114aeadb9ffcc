#pragma once

#include "physics/Spectrum.h"

#include <cmath>

// Evaluates Spectrum::valueAt of a reference at the energies of block after
// block by walking from a remembered point index instead of bisecting anew:
// the caller keeps one hint per sample point, and since neighbouring blocks
// ask for nearly the same energies the walk takes a step or none. The result
// is bit for bit the one valueAt gives: the same bracketing pair is found (for
// non-decreasing energies it is unique) and interpolated by the same formula. A spectrum whose energies are
// not in order, and a NaN energy, go through valueAt itself.
class ReferenceWalk
{
public:
    ReferenceWalk() = default;
    explicit ReferenceWalk(const Spectrum* spectrum);

    // Spectrum::valueAt(e); `hint` is the index the last evaluation near e
    // ended at, or negative when there is none; it is updated.
    double valueAt(double e, int& hint) const
    {
        const int n = m_n;
        if (n == 0)
            return 0.0;
        const SpectrumPoint* p = m_points;
        if (n == 1)
            return p[0].y;
        const double o = m_offset;
        if (e <= p[0].x - o)
            return interpolate(p[0].x - o, p[0].y, p[1].x - o, p[1].y, e);
        if (e >= p[n - 1].x - o)
            return interpolate(p[n - 2].x - o, p[n - 2].y, p[n - 1].x - o, p[n - 1].y, e);
        if (!m_ordered || std::isnan(e))
            return m_spectrum->valueAt(e);
        int lo = hint;
        if (lo < 0 || lo > n - 2)
            lo = bisect(e);
        // Settle on the last index whose energy is <= e: it lies below n - 1
        // because e is below the last energy, and the one after it is above e.
        while (lo + 1 < n - 1 && p[lo + 1].x - o <= e)
            ++lo;
        while (lo > 0 && p[lo].x - o > e)
            --lo;
        hint = lo;
        return interpolate(p[lo].x - o, p[lo].y, p[lo + 1].x - o, p[lo + 1].y, e);
    }

    bool ordered() const { return m_ordered; }

private:
    // Spectrum's interpolation between (x1, y1) and (x2, y2), written the same way.
    static double interpolate(double x1, double y1, double x2, double y2, double x)
    {
        if (x1 == x2)
            return (y1 + y2) / 2.0;
        return y1 + (y2 - y1) / (x2 - x1) * (x - x1);
    }
    int bisect(double e) const;

    const Spectrum* m_spectrum = nullptr;
    const SpectrumPoint* m_points = nullptr;
    int m_n = 0;
    double m_offset = 0.0;
    bool m_ordered = true;
};
