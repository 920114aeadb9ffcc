#pragma once

#include "physics/Spectrum.h"

#include <cmath>

// Evaluates a spectrum at a run of increasing energies by walking its points
// forward instead of searching them for every energy; each value is bit for bit
// what Spectrum::valueAt gives.
//
// For points in non-decreasing energy order the segment valueAt's bisection
// brackets an energy with is the only one with E(k) <= e < E(k + 1), so a walk
// that remembers the last segment finds the same one and interpolates it with
// the same arithmetic. A spectrum whose energies are not in that order (or
// contain NaN), fewer than two points and NaN energies go to valueAt itself;
// an energy below the previous one restarts the walk. The spectrum must
// outlive the cursor and stay unchanged while it is used.
class SpectrumCursor
{
public:
    SpectrumCursor() = default;
    explicit SpectrumCursor(const Spectrum& s) { reset(s); }

    // Attaches the cursor to `s` and checks the order of its energies (one
    // pass over the points).
    void reset(const Spectrum& s);
    // True when the points are walked, false when every energy goes to valueAt.
    bool walks() const { return m_walk; }

    double valueAt(double e)
    {
        double v;
        // e + (-0.0) is e bit for bit, -0.0 included.
        valuesAt(&e, 1, -0.0, &v, [] {});
        return v;
    }

    // out[i] = valueAt(xs[i] + shift) for i < count; onNaN() is called first
    // for every NaN energy.
    template <typename NaNHook>
    void valuesAt(const double* xs, int count, double shift, double* out, NaNHook&& onNaN)
    {
        if (!m_walk) {
            for (int i = 0; i < count; ++i) {
                const double e = xs[i] + shift;
                if (e != e)
                    onNaN();
                out[i] = m_spectrum ? m_spectrum->valueAt(e) : 0.0;
            }
            return;
        }
        // Derived spectra carry no offset: x - (+0.0) is x itself, bit for bit.
        if (m_o == 0.0 && !std::signbit(m_o))
            m_k = walk<false>(xs, count, shift, out, onNaN);
        else
            m_k = walk<true>(xs, count, shift, out, onNaN);
    }

private:
    // The walk with its state in registers; returns the segment it ended in.
    template <bool Offset, typename NaNHook>
    int walk(const double* xs, int count, double shift, double* out, NaNHook&& onNaN) const
    {
        const SpectrumPoint* p = m_p;
        const double o = m_o;
        auto E = [p, o](int i) { return Offset ? p[i].x - o : p[i].x; };
        const int last = m_n - 1;
        const double first = E(0);
        const double end = E(last);
        int k = m_k;
        for (int i = 0; i < count; ++i) {
            const double e = xs[i] + shift;
            if (e != e) {
                onNaN();
                out[i] = m_spectrum->valueAt(e);
            } else if (e <= first) {
                out[i] = interpolate(first, p[0].y, E(1), p[1].y, e);
            } else if (e >= end) {
                out[i] = interpolate(E(last - 1), p[last - 1].y, end, p[last].y, e);
            } else {
                // E(0) < e < E(last): the walk stops before `last`.
                if (e < E(k))
                    k = 0;
                while (e >= E(k + 1))
                    ++k;
                out[i] = interpolate(E(k), p[k].y, E(k + 1), p[k + 1].y, e);
            }
        }
        return k;
    }

    // The interpolation of Spectrum::valueAt, operation for operation.
    static double interpolate(double x1, double y1, double x2, double y2, double x)
    {
        if (x1 == x2)
            return (y1 + y2) / 2.0;
        return y1 + (y2 - y1) / (x2 - x1) * (x - x1);
    }

    const Spectrum* m_spectrum = nullptr;
    const SpectrumPoint* m_p = nullptr;
    int m_n = 0;
    double m_o = 0.0;
    int m_k = 0;
    bool m_walk = false;
};
