#include "processing/ShiftFitter.h"

#include "physics/Spectrum.h"

#include <QtGlobal>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <atomic>
#include <cmath>
#include <utility>

bool ShiftFitter::setStandard(const Spectrum& normalizedStandard, double eStd)
{
    m_table.clear();
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
    return true;
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

double ShiftFitter::bestShift(const double* costs, double s0)
{
    int best = 0;
    for (int k = 1; k < steps; ++k)
        if (costs[k] < costs[best])
            best = k;
    const double sBest = s0 - searchHalfWidth + best * searchStep;
    if (best == 0 || best == steps - 1)
        return sBest;
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
    for (int k = 0; k < steps; ++k) {
        const double s = s0 - searchHalfWidth + k * searchStep;
        int used = 0;
        costs[k] = sumOfSquares(e, v, n, lo, hi, s, &used);
        if (used < minPoints)
            return s0;
    }
    return bestShift(costs, s0);
}

namespace {

#if defined(__x86_64__) && defined(__GNUC__)
#define ORV_FIT_AVX2 1
std::atomic<bool> g_wideAllowed{true};

// The four sets of sums of fourCosts() with one AVX2 lane per trial shift:
// each lane does the scalar operations in the scalar order (no fused
// multiply-add), so the sums are the same to the last bit.
__attribute__((target("avx2"))) void fourSumsAvx2(const double* pe, const double* pv, int m, const double* s,
                                                  const double* table, double last, double start,
                                                  double inverseStep, double* st, double* stt, double* stv)
{
    const __m256d shifts = _mm256_loadu_pd(s);
    const __m256d first = _mm256_set1_pd(table[0]), end = _mm256_set1_pd(table[std::size_t(last)]);
    const __m256d zero = _mm256_setzero_pd(), lastv = _mm256_set1_pd(last);
    const __m256d startv = _mm256_set1_pd(start), inverse = _mm256_set1_pd(inverseStep);
    const __m256d every = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));   // gather all four lanes
    __m256d sumT = zero, sumTT = zero, sumTV = zero;
    for (int j = 0; j < m; ++j) {
        const __m256d u = _mm256_mul_pd(_mm256_sub_pd(_mm256_sub_pd(_mm256_set1_pd(pe[j]), shifts), startv), inverse);
        const __m256d below = _mm256_cmp_pd(u, zero, _CMP_NGT_UQ);   // !(u > 0), NaN included
        const __m256d beyond = _mm256_cmp_pd(u, lastv, _CMP_GE_OQ);
        // Lanes at either end read the table at 0 and take the end value.
        const __m256d inside = _mm256_blendv_pd(u, zero, _mm256_or_pd(below, beyond));
        const __m128i index = _mm256_cvttpd_epi32(inside);
        const __m256d w = _mm256_sub_pd(inside, _mm256_cvtepi32_pd(index));
        const __m256d a = _mm256_mask_i32gather_pd(zero, table, index, every, 8);
        const __m256d b = _mm256_mask_i32gather_pd(zero, table + 1, index, every, 8);
        __m256d t = _mm256_add_pd(a, _mm256_mul_pd(_mm256_sub_pd(b, a), w));
        t = _mm256_blendv_pd(t, end, beyond);
        t = _mm256_blendv_pd(t, first, below);
        sumT = _mm256_add_pd(sumT, t);
        sumTT = _mm256_add_pd(sumTT, _mm256_mul_pd(t, t));
        sumTV = _mm256_add_pd(sumTV, _mm256_mul_pd(t, _mm256_set1_pd(pv[j])));
    }
    _mm256_storeu_pd(st, sumT);
    _mm256_storeu_pd(stt, sumTT);
    _mm256_storeu_pd(stv, sumTV);
}

bool useAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has && g_wideAllowed.load(std::memory_order_relaxed);
}
#endif

} // namespace

void ShiftFitter::allowWideVectors(bool allow)
{
#ifdef ORV_FIT_AVX2
    g_wideAllowed = allow;
#else
    Q_UNUSED(allow);
#endif
}

void ShiftFitter::fourCosts(const double* pe, const double* pv, int m, double sv, double svv, double s0,
                            int first, double* costs) const
{
    // Four independent sets of sums: the additions of one shift do not wait
    // for each other's, and each shift still adds its points in order.
    double s[4], st[4] = {}, stt[4] = {}, stv[4] = {};
    for (int l = 0; l < 4; ++l)
        s[l] = s0 - searchHalfWidth + (first + l) * searchStep;
#ifdef ORV_FIT_AVX2
    if (useAvx2()) {
        fourSumsAvx2(pe, pv, m, s, m_table.data(), double(m_table.size() - 1), m_start, m_inverseStep, st, stt, stv);
    } else
#endif
    {
        for (int j = 0; j < m; ++j) {
            const double x = pe[j], y = pv[j];
            for (int l = 0; l < 4; ++l) {
                const double t = standardAt(x - s[l]);
                st[l] += t;
                stt[l] += t * t;
                stv[l] += t * y;
            }
        }
    }
    for (int l = 0; l < 4; ++l) {
        const double ctt = stt[l] - st[l] * st[l] / m, ctv = stv[l] - st[l] * sv / m, cvv = svv - sv * sv / m;
        costs[l] = ctt > 0.0 ? cvv - ctv * ctv / ctt : cvv;
    }
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
    int m = 0;
    double sv = 0.0, svv = 0.0;
    for (int i = 0; i < n; ++i) {
        if (!(e[i] >= lo && e[i] <= hi) || !std::isfinite(v[i]))
            continue;
        pe[m] = e[i];
        pv[m] = v[i];
        sv += v[i];
        svv += v[i] * v[i];
        ++m;
    }
    if (m < minPoints)
        return s0;
    double costs[(steps + 3) / 4 * 4];
    for (int k = 0; k < steps; k += 4)
        fourCosts(pe, pv, m, sv, svv, s0, k, costs + k);
    return bestShift(costs, s0);
}
