#include "analysis/LinearCombinationFitter.h"

#include "analysis/FitShares.h"
#include "base/LogCategories.h"

#include <QDebug>
#include <algorithm>
#include <cmath>

namespace {

// The reference evaluation of LCF and of the fitted curve notes a NaN
// energy as XafsSpectrum::doubleNormalizedPreBase does, then evaluates it.
void reportNaN()
{
    NanEnergies::note();
}

void silent() {}

// Normal sums of M basis columns over `count` points, in point order:
// a[k][l] = sum cols[k][i] * cols[l][i], y[k] = sum cols[k][i] * t[i].
// The matrix is symmetric: the upper triangle is summed and mirrored.
template <int M>
void normalSums(const double* cols, std::size_t stride, const double* t, int count, double* a, double* y)
{
    double s[M][M] = {};
    double r[M] = {};
    for (int i = 0; i < count; ++i) {
        double v[M];
#pragma GCC unroll 8
        for (int k = 0; k < M; ++k)
            v[k] = cols[std::size_t(k) * stride + std::size_t(i)];
        const double ti = t[i];
#pragma GCC unroll 8
        for (int k = 0; k < M; ++k) {
#pragma GCC unroll 8
            for (int l = k; l < M; ++l)
                s[k][l] += v[k] * v[l];
            r[k] += v[k] * ti;
        }
    }
    for (int k = 0; k < M; ++k) {
        for (int l = k; l < M; ++l)
            a[k * M + l] = a[l * M + k] = s[k][l];
        y[k] = r[k];
    }
}

void normalSums(int m, const double* cols, std::size_t stride, const double* t, int count, double* a, double* y)
{
    for (int i = 0; i < count; ++i) {
        const double ti = t[i];
        for (int k = 0; k < m; ++k) {
            const double vk = cols[std::size_t(k) * stride + std::size_t(i)];
            double* row = a + k * m;
            for (int l = k; l < m; ++l)
                row[l] += vk * cols[std::size_t(l) * stride + std::size_t(i)];
            y[k] += vk * ti;
        }
    }
    for (int k = 1; k < m; ++k) {
        for (int l = 0; l < k; ++l)
            a[k * m + l] = a[l * m + k];
    }
}

} // namespace

bool LinearCombinationFitter::fit(Method method, const XafsSpectrum& sample,
                                  const QVector<ReferenceSnapshot>& refs, const FitOptions& options,
                                  FitResult& out)
{
    if (sample.isEmpty() || refs.size() < 2)
        return false;

    out.usedRows.clear();
    for (int r = 0; r < refs.size(); ++r) {
        if (refs[r].isUsed())
            out.usedRows.append(r);
    }
    const int used = out.usedRows.size();

    // Common range of the used references, each shifted back by its offset.
    double lo = 0.0;
    double hi = 1e100;
    m_cursors.resize(std::size_t(used));
    m_offsets.resize(std::size_t(used));
    for (int j = 0; j < used; ++j) {
        const XafsSpectrum& ref = refs[out.usedRows[j]].spectrum;
        const double o = ref.offsetInForce();
        lo = std::max(lo, ref.min().x - o);
        hi = std::min(hi, ref.max().x - o);
        m_offsets[std::size_t(j)] = o;
        m_cursors[std::size_t(j)].reset(method == LCF ? ref.doubleNormalizedPreBase()
                                                      : ref.doubleNormalizedPostBase());
    }
    out.lo = lo;
    out.hi = hi;

    const int count = collectPoints(method, sample, lo, hi);
    const int unknowns = method == LCF ? used : used + 2;
    m_system.reset(unknowns);
    accumulate(method, count, unknowns);
    // The sums before the solver consumes them: matrix, then right-hand side.
    m_normal.resize(std::size_t(unknowns) * std::size_t(unknowns + 1));
    for (int k = 0; k < unknowns; ++k) {
        for (int l = 0; l < unknowns; ++l)
            m_normal[std::size_t(k) * std::size_t(unknowns) + std::size_t(l)] = m_system.a(k, l);
        m_normal[std::size_t(unknowns) * std::size_t(unknowns) + std::size_t(k)] = m_system.b(k);
    }
    double tt = 0.0;
    for (int i = 0; i < count; ++i)
        tt += m_targets[std::size_t(i)] * m_targets[std::size_t(i)];
    const double* c = options.nonNegative
                          ? m_nnls.solve(m_normal.data(), m_normal.data() + std::size_t(unknowns) * std::size_t(unknowns),
                                         unknowns, method == MLCF ? 2 : 0)
                          : m_system.solve();
    out.rFactor = FitShares::rFactor(m_normal.data(), m_normal.data() + std::size_t(unknowns) * std::size_t(unknowns),
                                     c, unknowns, tt);

    out.fractions.resize(used);
    out.amounts.resize(used);
    if (method == LCF)
        FitShares::lcf(c, used, sample.jump(), out.fractions.data(), out.amounts.data());
    else
        FitShares::mlcf(c, used, out.fractions.data(), out.amounts.data());

    out.coefficients.resize(used);
    for (int k = 0; k < used; ++k)
        out.coefficients[k] = options.freshCoefficients ? out.fractions[k] : refs[out.usedRows[k]].coefficient;

    out.hasCurve = options.curve;
    if (options.curve)
        buildCurve(refs, count, out);
    return true;
}

int LinearCombinationFitter::collectPoints(Method method, const XafsSpectrum& sample, double lo, double hi)
{
    const SpectrumPoint* p = sample.points().data();
    const int n = sample.count();
    const double o = sample.offsetInForce();
    const double h = sample.dE();
    const SpectrumPoint* target = sample.doubleNormalizedPreBase().points().data();
    const int targetCount = sample.doubleNormalizedPreBase().count();
    if (m_xs.size() < std::size_t(n)) {
        m_xs.resize(std::size_t(n));
        m_targets.resize(std::size_t(n));
    }
    double* xs = m_xs.data();
    double* ts = m_targets.data();
    int count = 0;
    for (int i = 0; i < n; ++i) {
        const double x = p[i].x - o - h;
        if (x < lo || x > hi) // NaN is not outside
            continue;
        xs[count] = x;
        ts[count] = method == MLCF ? p[i].y : (i < targetCount ? target[i].y : 0.0);
        ++count;
    }
    return count;
}

void LinearCombinationFitter::accumulate(Method method, int count, int unknowns)
{
    if (unknowns == 0)
        return;
    const int m = unknowns;
    const std::size_t stride = std::size_t(count);
    if (m_columns.size() < std::size_t(m) * stride)
        m_columns.resize(std::size_t(m) * stride);
    double* cols = m_columns.data();
    const double* xs = m_xs.data();

    // Basis columns: MLCF starts with 1 and x, then one column per reference.
    int first = 0;
    if (method == MLCF) {
        std::fill(cols, cols + count, 1.0);
        std::copy(xs, xs + count, cols + stride);
        first = 2;
    }
    for (std::size_t j = 0; j < m_cursors.size(); ++j) {
        double* col = cols + (std::size_t(first) + j) * stride;
        if (method == LCF)
            m_cursors[j].valuesAt(xs, count, m_offsets[j], col, reportNaN);
        else
            m_cursors[j].valuesAt(xs, count, m_offsets[j], col, silent);
    }

    double* a = &m_system.a(0, 0);
    double* y = &m_system.b(0);
    const double* t = m_targets.data();
    switch (m) {
    case 1: normalSums<1>(cols, stride, t, count, a, y); break;
    case 2: normalSums<2>(cols, stride, t, count, a, y); break;
    case 3: normalSums<3>(cols, stride, t, count, a, y); break;
    case 4: normalSums<4>(cols, stride, t, count, a, y); break;
    case 5: normalSums<5>(cols, stride, t, count, a, y); break;
    case 6: normalSums<6>(cols, stride, t, count, a, y); break;
    case 7: normalSums<7>(cols, stride, t, count, a, y); break;
    case 8: normalSums<8>(cols, stride, t, count, a, y); break;
    default: normalSums(m, cols, stride, t, count, a, y); break;
    }
}

void LinearCombinationFitter::buildCurve(const QVector<ReferenceSnapshot>& refs, int count, FitResult& out)
{
    // The curve is drawn with the pre-base spectra in both methods, with the
    // rows' current coefficients.
    const int used = out.usedRows.size();
    const std::size_t stride = std::size_t(count);
    if (m_columns.size() < std::size_t(used) * stride)
        m_columns.resize(std::size_t(used) * stride);
    double* cols = m_columns.data();
    const double* xs = m_xs.data();
    for (int j = 0; j < used; ++j) {
        SpectrumCursor& cursor = m_cursors[std::size_t(j)];
        cursor.reset(refs[out.usedRows[j]].spectrum.doubleNormalizedPreBase());
        cursor.valuesAt(xs, count, m_offsets[std::size_t(j)], cols + std::size_t(j) * stride, reportNaN);
    }
    const double* coef = out.coefficients.constData();
    Spectrum points;
    points.reserve(count);
    for (int i = 0; i < count; ++i) {
        double sum = 0.0;
        for (int j = 0; j < used; ++j)
            sum += coef[j] * cols[std::size_t(j) * stride + std::size_t(i)];
        points.add(xs[i], sum);
    }
    out.curve = XafsSpectrum(points, false, 0.0);
}

namespace {

std::optional<FitResult> fitOnce(LinearCombinationFitter::Method method, const XafsSpectrum& sample,
                                 const QVector<ReferenceSnapshot>& refs, const FitOptions& options)
{
    LinearCombinationFitter fitter;
    FitResult result;
    if (!fitter.fit(method, sample, refs, options, result))
        return std::nullopt;
    return result;
}

} // namespace

std::optional<FitResult> fitLCF(const XafsSpectrum& sample, const QVector<ReferenceSnapshot>& refs,
                                const FitOptions& options)
{
    return fitOnce(LinearCombinationFitter::LCF, sample, refs, options);
}

std::optional<FitResult> fitMLCF(const XafsSpectrum& sample, const QVector<ReferenceSnapshot>& refs,
                                 const FitOptions& options)
{
    return fitOnce(LinearCombinationFitter::MLCF, sample, refs, options);
}
