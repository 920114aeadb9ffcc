#pragma once

#include "processing/ShiftSums.h"

#include <vector>

class Spectrum;

// The "Fit" calibration rule: the energy shift s that best lays a block's
// normalised spectrum onto the normalised standard, by least squares over the
// edge region. The block's points E in [E_std + s0 + regionLo, E_std + s0 +
// regionHi] (s0 = the block's half-height shift, which also centres the
// search) are compared with the standard at E - s, scaled and offset as fits
// best (so a block normalised a little differently from the standard still
// finds its edge). The trial shifts are s0 +- searchHalfWidth in steps of
// searchStep; the search costs every other one (twice the step), then the two
// between the cheapest of those and its neighbours, and the vertex of the
// parabola through the cheapest trial's cost and its two neighbours refines
// it. The point set is fixed for a block, so the cost is smooth in s, and the
// cheapest trial of the fine grid sits next to the cheapest of the coarse one:
// the search lands where costing all of them would, at half the work.
//
// The standard is resampled once on a fine uniform grid (linear
// interpolation of its points, sorted by energy), so a cost evaluation
// costs a few operations per point. Shared read-only by every thread.
//
// fit() gathers the region points once and sums the trial shifts side by
// side in vector lanes (the widest the processor has), each shift's sums in
// point order; fitPlain() evaluates every trial shift over all the block's
// points. Both give the same shift, value for value, on every instruction set.
class ShiftFitter
{
public:
    static constexpr double regionLo = -20.0;
    static constexpr double regionHi = 40.0;
    static constexpr double searchHalfWidth = 4.0;
    static constexpr double searchStep = 0.25;
    static constexpr double tableStep = 0.02;
    // Fewer points than this in the edge region: the fit keeps s0.
    static constexpr int minPoints = 4;

    // The standard's normalised curve (points with its offset in force) and its
    // half-height edge position. False, and the fitter stays unusable, when
    // the curve has fewer than two points.
    bool setStandard(const Spectrum& normalizedStandard, double eStd);
    bool isValid() const { return !m_table.empty(); }
    double standardEdge() const { return m_eStd; }

    // The shift of the block whose normalised points are (e[i], v[i]); s0 is
    // its half-height shift. Returns s0 when the fitter is not valid or the
    // region holds too few points.
    double fit(const double* e, const double* v, int n, double s0) const;
    // The same, one trial shift at a time over all n points: the reference
    // fit() is checked against.
    double fitPlain(const double* e, const double* v, int n, double s0) const;
    // The mean squared residual over the region points at shift s, after the
    // best scale and offset of the standard (for tests and diagnostics); NaN
    // without region points.
    double cost(const double* e, const double* v, int n, double s0, double s) const;

    // The resampled standard at energy x (end values beyond the table).
    double standardAt(double x) const
    {
        const double t = (x - m_start) * m_inverseStep;
        if (!(t > 0.0))
            return m_table.front();
        const double last = double(m_table.size() - 1);
        if (t >= last)
            return m_table.back();
        const int i = int(t);
        const double w = t - double(i);
        return m_table[std::size_t(i)] + (m_table[std::size_t(i) + 1] - m_table[std::size_t(i)]) * w;
    }

private:
    static constexpr int steps = int(2.0 * searchHalfWidth / searchStep + 0.5) + 1;
    // The coarse trials are the odd ones, k = 1, 3, ..., steps - 2.
    static constexpr int coarseSteps = steps / 2;
    static double trialShift(double s0, int k) { return s0 - searchHalfWidth + k * searchStep; }
    // The coarse trial of least cost (the first of equals).
    static int cheapestCoarse(const double* costs);
    // The chosen shift from the costs of the coarse trials and of the two
    // fine ones around the cheapest coarse trial `coarse`.
    static double bestShift(const double* costs, int coarse, double s0);
    // m_table as the lane sums read it (without the lane table).
    ShiftSums::Table table() const;
    double sumOfSquares(const double* e, const double* v, int n, double lo, double hi, double s,
                        int* used) const;

    std::vector<double> m_table;
    // m_table laid out for the coarse trials' vector lanes.
    ShiftSums::LaneTable m_lanes;
    double m_start = 0.0;
    double m_inverseStep = 1.0 / tableStep;
    double m_eStd = 0.0;
};
