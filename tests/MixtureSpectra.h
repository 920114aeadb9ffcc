#pragma once

// Spectra with known analysis answers for the analysis tests.

#include "analysis/AnalysisSnapshots.h"
#include "ModelEdge.h"
#include "physics/XafsSpectrum.h"

#include <QPointF>
#include <QVector>
#include <cmath>
#include <functional>

namespace MixtureSpectra {

using Knots = QVector<QPointF>;
using Shape = std::function<double(double)>;

// Piecewise-linear through the knots, 0 before the first, the last y after.
inline double piecewise(const Knots& knots, double e)
{
    if (e <= knots.first().x())
        return e < knots.first().x() ? 0.0 : knots.first().y();
    for (int i = 0; i + 1 < knots.size(); ++i) {
        const QPointF a = knots[i];
        const QPointF b = knots[i + 1];
        if (e <= b.x())
            return a.y() + (b.y() - a.y()) * (e - a.x()) / (b.x() - a.x());
    }
    return knots.last().y();
}

// Three edge shapes, each 0 below 7104 eV and exactly 1 from 7113 eV on, with
// knots on the 2 eV grid: a plain ramp, a white line, a shoulder.
inline Knots ramp() { return {{7104, 0}, {7112, 1}}; }
inline Knots whiteLine() { return {{7104, 0}, {7108, 1.6}, {7112, 1}}; }
inline Knots shoulder() { return {{7104, 0}, {7106, 0.4}, {7110, 0.5}, {7112, 1}}; }

// Sampled at 6900, 6902, ... 8000 eV.
inline Spectrum sampled(const Shape& f, double from = 6900.0, double to = 8000.0, double step = 2.0)
{
    Spectrum s;
    for (double e = from; e <= to + 1e-9; e += step)
        s.add(e, f(e));
    return s;
}

// Normalised with straight lines over windows that lie in the flat parts
// ([7000, 7100) and [7120, 8100) eV whatever the half-height energy), so the
// pre-edge line is 0 and the post-edge line the flat level: the
// double-normalised pre-base spectrum is mu divided by that level.
inline XafsSpectrum flatNormalized(const Spectrum& raw)
{
    XafsSpectrum s(raw, false, 0.0);
    const double eh = s.crossingEnergy(0.5, Spectrum::Rising);
    s.setPreWindow(7000.0 - eh, 7100.0 - eh);
    s.setPostWindow(7120.0 - eh, 8100.0 - eh);
    s.normalize(false);
    return s;
}

inline XafsSpectrum flatShape(const Knots& knots)
{
    return flatNormalized(sampled([knots](double e) { return piecewise(knots, e); }));
}

// scale * (f1 * shape1 + f2 * shape2) on the grid.
inline XafsSpectrum flatMixture(const Knots& k1, double f1, const Knots& k2, double f2, double scale)
{
    return flatNormalized(sampled([=](double e) { return scale * (f1 * piecewise(k1, e) + f2 * piecewise(k2, e)); }));
}

// A realistic K-edge spectrum with Victoreen-like backgrounds, an edge at
// `edge` eV and a post-edge oscillation of the given period; normalised with
// the default (Victoreen) lines.
inline XafsSpectrum realistic(double edge, double period, double whiteLine, double from = 6900.0,
                              double to = 8000.0, double step = 2.5)
{
    ModelEdge model;
    model.edge = edge;
    model.period = period;
    model.whiteLine = whiteLine;
    model.wiggle = 0.05;
    model.decay = 500.0;
    Spectrum s;
    for (double e = from; e <= to + 1e-9; e += step)
        s.add(e, model.mu(e));
    return XafsSpectrum(s, true, 0.0);
}

inline ReferenceSnapshot reference(const XafsSpectrum& s, double dE = 0.0, bool use = true, bool chosen = true,
                                   double coefficient = 0.0)
{
    ReferenceSnapshot r;
    r.spectrum = s;
    r.spectrum.setOffset(dE, true);
    r.spectrum.setDE(dE);
    r.use = use;
    r.fileChosen = chosen;
    r.coefficient = coefficient;
    return r;
}

} // namespace MixtureSpectra
