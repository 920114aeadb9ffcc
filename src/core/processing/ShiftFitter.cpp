#include "processing/ShiftFitter.h"

#include "physics/Spectrum.h"
#include "processing/ShiftSums.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// The points of [lo, hi] with a finite value into pe, pv, and the sums of
// those values and of their squares in point order; the count. (Its own
// function so that the sums stay in registers.)
Q_NEVER_INLINE int regionPoints(const double* e, const double* v, int n, double lo, double hi, double* __restrict pe,
                 double* __restrict pv, double* sumV, double* sumVV)
{
    int m = 0;
    double sv = 0.0, svv = 0.0;
    for (int i = 0; i < n; ++i) {
        const double x = e[i], y = v[i];
        if (!(x >= lo && x <= hi) || !std::isfinite(y))
            continue;
        pe[m] = x;
        pv[m] = y;
        sv += y;
        svv += y * y;
        ++m;
    }
    *sumV = sv;
    *sumVV = svv;
    return m;
}

} // namespace

bool ShiftFitter::setStandard(const Spectrum& normalizedStandard, double eStd)
{
    m_table.clear();
    m_lanes = ShiftSums::LaneTable();
    m_eStd = eStd;
    std::vector<std::pair<double, double>> pts;
    pts.reserve(std::size_t(normalizedStandard.count()));
    for (int i = 0; i < normalizedStandard.count(); ++i) {
        const double e = normalizedStandard.E(i), y = normalizedStandard.y(i);
        if (std::isfinite(e) && std::isfinite(y))
            pts.emplace_back(e, y);
    }
    std::stable_sort(pts.begin(), pts.end(),
                     [](const std::pair<double, double>& a, const std::pair<double, double>& b) {
                         return a.first < b.first;
                     });
    if (pts.size() < 2 || !std::isfinite(eStd))
        return false;
    // Only the energies a search can reach are tabulated.
    const double margin = searchHalfWidth + searchStep + 1.0;
    const double from = qBound(pts.front().first, eStd + regionLo - margin, pts.back().first);
    const double to = qBound(pts.front().first, eStd + regionHi + margin, pts.back().first);
    const int n = int(std::ceil((to - from) / tableStep)) + 2;
    if (!(to > from) || n > 1000000)
        return false;
    m_start = from;
    m_table.resize(std::size_t(n));
    std::size_t k = 0;
    for (int j = 0; j < n; ++j) {
        const double x = from + j * tableStep;
        while (k + 2 < pts.size() && pts[k + 1].first <= x)
            ++k;
        const auto& a = pts[k];
        const auto& b = pts[k + 1];
        const double w = b.first > a.first ? (x - a.first) / (b.first - a.first) : 0.5;
        // Held at the end values beyond the standard's range.
        m_table[std::size_t(j)] = x <= a.first && k == 0 ? a.second
            : (x >= b.first ? b.second : a.second + (b.second - a.second) * w);
    }
    m_lanes = ShiftSums::makeLaneTable(table(), 2.0 * searchStep);
    return true;
}

ShiftSums::Table ShiftFitter::table() const
{
    ShiftSums::Table table;
    table.values = m_table.data();
    table.count = int(m_table.size());
    table.start = m_start;
    table.inverseStep = m_inverseStep;
    return table;
}

double ShiftFitter::sumOfSquares(const double* e, const double* v, int n, double lo, double hi, double s,
                                 int* used) const
{
    // Sums for the best scale a and offset b of the standard at this shift:
    // the residual sum of squares of v ~ a t + b is Svv - Stv^2 / Stt, centred.
    double st = 0.0, sv = 0.0, stt = 0.0, stv = 0.0, svv = 0.0;
    int count = 0;
    for (int i = 0; i < n; ++i) {
        if (!(e[i] >= lo && e[i] <= hi) || !std::isfinite(v[i]))
            continue;
        const double t = standardAt(e[i] - s);
        st += t;
        sv += v[i];
        stt += t * t;
        stv += t * v[i];
        svv += v[i] * v[i];
        ++count;
    }
    *used = count;
    if (count == 0)
        return 0.0;
    const double ctt = stt - st * st / count, ctv = stv - st * sv / count, cvv = svv - sv * sv / count;
    return ctt > 0.0 ? cvv - ctv * ctv / ctt : cvv;
}

double ShiftFitter::cost(const double* e, const double* v, int n, double s0, double s) const
{
    if (!isValid())
        return std::nan("");
    int used = 0;
    const double sum = sumOfSquares(e, v, n, m_eStd + s0 + regionLo, m_eStd + s0 + regionHi, s, &used);
    return used > 0 ? sum / used : std::nan("");
}

int ShiftFitter::cheapestCoarse(const double* costs)
{
    int best = 1;
    for (int k = 3; k < steps; k += 2)
        if (costs[k] < costs[best])
            best = k;
    return best;
}

double ShiftFitter::bestShift(const double* costs, int coarse, double s0)
{
    int best = coarse - 1;
    for (int k = coarse; k <= coarse + 1; ++k)
        if (costs[k] < costs[best])
            best = k;
    const double sBest = trialShift(s0, best);
    if (best == 0 || best == steps - 1)
        return sBest;
    // Both neighbours have been costed: the fine ones around the coarse
    // trial, or a fine one and the next coarse one.
    const double a = costs[best - 1], b = costs[best], c = costs[best + 1];
    const double curvature = a - 2.0 * b + c;
    if (!(curvature > 0.0))
        return sBest;
    const double offset = 0.5 * (a - c) / curvature;
    return sBest + qBound(-1.0, offset, 1.0) * searchStep;
}

double ShiftFitter::fitPlain(const double* e, const double* v, int n, double s0) const
{
    if (!isValid() || !std::isfinite(s0))
        return s0;
    const double lo = m_eStd + s0 + regionLo, hi = m_eStd + s0 + regionHi;
    double costs[steps];
    const auto costAt = [&](int k) {
        int used = 0;
        costs[k] = sumOfSquares(e, v, n, lo, hi, trialShift(s0, k), &used);
        return used >= minPoints;
    };
    for (int k = 1; k < steps; k += 2)
        if (!costAt(k))
            return s0;
    const int coarse = cheapestCoarse(costs);
    costAt(coarse - 1);
    costAt(coarse + 1);
    return bestShift(costs, coarse, s0);
}

double ShiftFitter::fit(const double* e, const double* v, int n, double s0) const
{
    if (!isValid() || !std::isfinite(s0))
        return s0;
    const double lo = m_eStd + s0 + regionLo, hi = m_eStd + s0 + regionHi;
    // The region's points do not depend on the trial shift: gather them, and
    // the sums of the block's own values, once.
    constexpr int inlinePoints = 256;
    double inlineStore[2 * inlinePoints];
    std::vector<double> heapStore;
    double* pe = inlineStore;
    if (n > inlinePoints) {
        heapStore.resize(2 * std::size_t(n));
        pe = heapStore.data();
    }
    double* pv = pe + std::max(n, inlinePoints);
    double sv = 0.0, svv = 0.0;
    const int m = regionPoints(e, v, n, lo, hi, pe, pv, &sv, &svv);
    if (m < minPoints)
        return s0;
    // The coarse trials' sums at once, one vector lane per shift, then the
    // two fine trials around the cheapest of them.
    double shifts[coarseSteps], cst[coarseSteps], cstt[coarseSteps], cstv[coarseSteps];
    for (int c = 0; c < coarseSteps; ++c)
        shifts[c] = trialShift(s0, 2 * c + 1);
    ShiftSums::Table table = this->table();
    table.lanes = &m_lanes;
    ShiftSums::compute(table, pe, pv, m, shifts, coarseSteps, cst, cstt, cstv);
    double costs[steps];
    const double cvv = svv - sv * sv / m;
    const auto costOf = [&](double st, double stt, double stv) {
        const double ctt = stt - st * st / m, ctv = stv - st * sv / m;
        return ctt > 0.0 ? cvv - ctv * ctv / ctt : cvv;
    };
    for (int c = 0; c < coarseSteps; ++c)
        costs[2 * c + 1] = costOf(cst[c], cstt[c], cstv[c]);
    const int coarse = cheapestCoarse(costs);
    const double fine[2] = {trialShift(s0, coarse - 1), trialShift(s0, coarse + 1)};
    double fst[2], fstt[2], fstv[2];
    ShiftSums::compute(this->table(), pe, pv, m, fine, 2, fst, fstt, fstv);
    costs[coarse - 1] = costOf(fst[0], fstt[0], fstv[0]);
    costs[coarse + 1] = costOf(fst[1], fstt[1], fstv[1]);
    return bestShift(costs, coarse, s0);
}
