#pragma once

#include "physics/Spectrum.h"

#include <cmath>
#include <vector>

// Evaluates Spectrum::valueAt of a reference at the energies of block after
// block by walking from a remembered point index instead of bisecting anew:
// the caller keeps one hint per sample point, and since neighbouring blocks
// ask for nearly the same energies the walk takes a step or none. The result
// is bit for bit the one valueAt gives: the same bracketing pair is found (for
// non-decreasing energies it is unique, and its energies differ) and
// interpolated by the same formula, with the pair's slope (y2 - y1) / (x2 - x1)
// divided out once in advance and everything a step needs in one cache line. A spectrum whose energies are not in order, and
// a NaN energy, go through valueAt itself. The spectrum must outlive the walk
// and stay unchanged.
class ReferenceWalk
{
public:
    ReferenceWalk() = default;
    explicit ReferenceWalk(const Spectrum* spectrum);

    // Spectrum::valueAt(e); `hint` is the index the last evaluation near e
    // ended at, or negative when there is none; it is updated.
    double valueAt(double e, int& hint) const
    {
        if (!walks() || e != e)
            return slowValueAt(e);
        if (hint < 0 || hint > m_n - 2)
            hint = bisect(e);
        return walk(e, hint);
    }

    // Whether walk() may be used: the energies are in order and there are at
    // least two points.
    bool walks() const { return m_ordered && m_n >= 2; }

    struct Segment;
    // What walk() reads, copied out so that a caller's loop can keep it in
    // registers (stores to the caller's hints cannot alias it).
    struct View {
        const Segment* s = nullptr;
        double first = 0.0;    // energy of the first point
        double last = 0.0;     // energy of the last point
        double secondY = 0.0;  // y of point 1 and of the last point, for the extrapolations
        double lastY = 0.0;
        int n = 0;

        // valueAt(e) for a walking spectrum, e not NaN and 0 <= hint <=
        // count - 2; no calls, so a caller's loop keeps its sums in registers.
        Q_ALWAYS_INLINE double walk(double e, int& hint) const;
        // The same for first < e < last, where no extrapolation is needed.
        Q_ALWAYS_INLINE double walkInside(double e, int& hint) const
        {
            int lo = hint;
            while (s[lo].xNext <= e)
                ++lo;
            while (s[lo].x > e)
                --lo;
            hint = lo;
            return s[lo].y + s[lo].slope * (e - s[lo].x);
        }
    };
    View view() const;
    double walk(double e, int& hint) const { return view().walk(e, hint); }

    // The index valueAt's bisection ends at for e (0 ... count - 2); a valid
    // hint for walk().
    int bisect(double e) const;

    bool ordered() const { return m_ordered; }

    // Segment k of the polyline: point k, the energy of point k + 1 and the
    // slope between them, 32 bytes that never straddle a cache line, so an
    // evaluation touches one line. Energies are x minus the offset in force.
    struct alignas(32) Segment {
        double x = 0.0;
        double y = 0.0;
        double xNext = 0.0;
        double slope = 0.0;  // (y[k + 1] - y) / (xNext - x); unused when the energies are equal
    };

    // Spectrum's interpolation between (x1, y1) and (x2, y2), written the same way.
    static double interpolate(double x1, double y1, double x2, double y2, double x)
    {
        if (x1 == x2)
            return (y1 + y2) / 2.0;
        return y1 + (y2 - y1) / (x2 - x1) * (x - x1);
    }

private:
    double slowValueAt(double e) const;

    const Spectrum* m_spectrum = nullptr;
    int m_n = 0;
    bool m_ordered = true;
    std::vector<Segment> m_segments;
    double m_secondY = 0.0;  // y of points 1 and count - 1, for the extrapolations
    double m_lastY = 0.0;
};

inline double ReferenceWalk::View::walk(double e, int& hint) const
{
    if (e <= first)
        return interpolate(s[0].x, s[0].y, s[0].xNext, secondY, e);
    if (e >= last)
        return interpolate(s[n - 2].x, s[n - 2].y, s[n - 2].xNext, lastY, e);
    // Settle on the last index whose energy is <= e: it lies below n - 1
    // because e is below the last energy, and the one after it is above e.
    return walkInside(e, hint);
}
