#include "analysis/BlockFitter.h"

#include "analysis/FitShares.h"
#include "base/LogCategories.h"


#include <QDebug>
#include <algorithm>
#include <cmath>

bool BlockFitter::makePlan(bool mlcf, const QVector<ReferenceSnapshot>& refs, Plan* plan, bool nonNegative)
{
    *plan = Plan();
    plan->mlcf = mlcf;
    plan->nonNegative = nonNegative;
    if (refs.size() < 2)
        return false;
    for (int r = 0; r < refs.size(); ++r)
        if (refs[r].isUsed())
            plan->usedRows.append(r);
    for (int r : plan->usedRows) {
        const XafsSpectrum& ref = refs[r].spectrum;
        const double o = ref.offsetInForce();
        plan->lo = std::max(plan->lo, ref.min().x - o);
        plan->hi = std::min(plan->hi, ref.max().x - o);
        plan->offsets.push_back(o);
        plan->walks.emplace_back(mlcf ? &ref.doubleNormalizedPostBase() : &ref.doubleNormalizedPreBase());
        plan->allWalk = plan->allWalk && plan->walks.back().walks() && !std::isnan(o);
    }
    return true;
}

bool BlockFitter::fit(const double* e, const double* mu, int n, bool victoreen, double dE, double* amounts,
                      double* fractions, double* rFactor)
{
    if (n <= 0)
        return false;
    const Plan& plan = *m_plan;
    const int used = plan.used();
    const int unknowns = plan.mlcf ? used + 2 : used;
    if (!plan.mlcf)
        m_norm.compute(e, mu, n, victoreen);
    m_system.reset(unknowns);
    accumulate(e, mu, n, dE, unknowns);
    if (rFactor || plan.nonNegative) {
        m_normal.resize(std::size_t(unknowns) * std::size_t(unknowns + 1));
        for (int k = 0; k < unknowns; ++k) {
            for (int l = 0; l < unknowns; ++l)
                m_normal[std::size_t(k) * std::size_t(unknowns) + std::size_t(l)] = m_system.a(k, l);
            m_normal[std::size_t(unknowns) * std::size_t(unknowns) + std::size_t(k)] = m_system.b(k);
        }
    }
    const double* c = plan.nonNegative ? m_nnls.solve(m_normal.data(),
                                                      m_normal.data() + std::size_t(unknowns) * std::size_t(unknowns),
                                                      unknowns, plan.mlcf ? 2 : 0)
                                       : m_system.solve();
    if (rFactor)
        *rFactor = FitShares::rFactor(m_normal.data(), m_normal.data() + std::size_t(unknowns) * std::size_t(unknowns),
                                      c, unknowns, squaredTargets(e, mu, n, dE));
    if (plan.mlcf)
        FitShares::mlcf(c, used, fractions, amounts);
    else
        FitShares::lcf(c, used, m_norm.jump(), fractions, amounts);
    return true;
}

namespace {

// Everything the accumulation of one block reads.
struct AccumulateInput {
    const double* e;
    const double* mu;
    const double* target;  // the sample's double-normalised pre-base values (LCF)
    int n;
    double dE;
    const ReferenceWalk* walks;
    const double* offsets;
    int used;
    double lo;
    double hi;
    bool mlcf;
    int* hints;            // `used` walk positions per sample point
};

// The engine notes every evaluation of a reference at a NaN energy
// (NanEnergies: written once per run with the count).
Q_NEVER_INLINE void reportNanEnergies(const double* energies, int count)
{
    qint64 nans = 0;
    for (int j = 0; j < count; ++j)
        nans += std::isnan(energies[j]) ? 1 : 0;
    NanEnergies::note(nans);
}

// The sample's energy of point i corrected as the engine corrects it. A
// spectrum built from points has no offset in force; the engine still
// subtracts it, so does this.
inline double correctedEnergy(const AccumulateInput& in, int i)
{
    const double o = 0.0;
    return in.e[i] - o - in.dE;
}

// The basis vector of point i, (v_1 ... v_N) for LCF and (1, x, w_1 ... w_N)
// for MLCF, and its target, for any input.
bool basisAt(const AccumulateInput& in, int i, double* v, double* t)
{
    const double x = correctedEnergy(in, i);
    if (x < in.lo || x > in.hi)
        return false;
    int* hint = in.hints + std::size_t(i) * std::size_t(in.used);
    if (!in.mlcf) {
        *t = in.target[i];
        for (int j = 0; j < in.used; ++j)
            v[j] = x + in.offsets[j];
        reportNanEnergies(v, in.used);
        for (int j = 0; j < in.used; ++j)
            v[j] = in.walks[j].valueAt(v[j], hint[j]);
    } else {
        *t = in.mu[i];
        v[0] = 1.0;
        v[1] = x;
        for (int j = 0; j < in.used; ++j)
            v[j + 2] = in.walks[j].valueAt(x + in.offsets[j], hint[j]);
    }
    return true;
}

// The normal equations summed point by point as LinearCombinationFitter sums
// them (upper triangle, each entry from 0 in point order, then mirrored), for
// any number of unknowns, into the zeroed system.
void accumulateAny(const AccumulateInput& in, int m, double* a, double* y, double* v)
{
    double t;
    for (int i = 0; i < in.n; ++i) {
        if (!basisAt(in, i, v, &t))
            continue;
        for (int k = 0; k < m; ++k) {
            const double vk = v[k];
            double* row = a + k * m;
            for (int l = k; l < m; ++l)
                row[l] += vk * v[l];
            y[k] += vk * t;
        }
    }
    for (int k = 1; k < m; ++k)
        for (int l = 0; l < k; ++l)
            a[k * m + l] = a[l * m + k];
}

// The same sums for M unknowns known at compile time, for inputs where every
// walk can step without a call (ordered references, no NaN energy, valid
// hints): the loop makes no calls and is fully unrolled, so the sums stay in
// registers.
template <int M, bool Mlcf, bool Inside>
void accumulateFixed(const AccumulateInput& in, double* a, double* y)
{
    static_assert(!Mlcf || M >= 2, "MLCF has two extra terms");
    constexpr int N = Mlcf ? M - 2 : M;
    double sa[M][M] = {};
    double sy[M] = {};
    ReferenceWalk::View walks[N > 0 ? N : 1];
    double offsets[N > 0 ? N : 1];
    for (int j = 0; j < N; ++j) {
        walks[j] = in.walks[j].view();
        offsets[j] = in.offsets[j];
    }
    for (int i = 0; i < in.n; ++i) {
        const double x = correctedEnergy(in, i);
        if (x < in.lo || x > in.hi)
            continue;
        int* hint = in.hints + std::size_t(i) * N;
        double v[M];
        double t;
        if (Mlcf) {
            t = in.mu[i];
            v[0] = 1.0;
            v[1] = x;
        } else {
            t = in.target[i];
        }
#pragma GCC unroll 8
        for (int j = 0; j < N; ++j)
            v[M - N + j] = Inside ? walks[j].walkInside(x + offsets[j], hint[j])
                                  : walks[j].walk(x + offsets[j], hint[j]);
#pragma GCC unroll 8
        for (int k = 0; k < M; ++k) {
            const double vk = v[k];
#pragma GCC unroll 8
            for (int l = k; l < M; ++l)
                sa[k][l] += vk * v[l];
            sy[k] += vk * t;
        }
    }
    for (int k = 0; k < M; ++k) {
        for (int l = k; l < M; ++l)
            a[k * M + l] = sa[k][l];
        for (int l = 0; l < k; ++l)
            a[k * M + l] = sa[l][k];
        y[k] = sy[k];
    }
}

// Both forms of the fixed sums: without the extrapolation tests when every
// energy a walk will see lies strictly inside its reference.
template <int M, bool Mlcf>
void accumulateFixed(const AccumulateInput& in, bool inside, double* a, double* y)
{
    if (inside)
        accumulateFixed<M, Mlcf, true>(in, a, y);
    else
        accumulateFixed<M, Mlcf, false>(in, a, y);
}

// Whether every corrected energy of the block, moved by each reference's
// offset, lies strictly between the reference's first and last energies.
// Rounding of x + o is monotonic in x, so the extremes decide.
bool allInside(const AccumulateInput& in)
{
    if (in.n == 0)
        return true;
    double lo = correctedEnergy(in, 0), hi = lo;
    for (int i = 1; i < in.n; ++i) {
        const double x = correctedEnergy(in, i);
        lo = x < lo ? x : lo;
        hi = x > hi ? x : hi;
    }
    for (int j = 0; j < in.used; ++j) {
        const ReferenceWalk::View w = in.walks[j].view();
        if (!(lo + in.offsets[j] > w.first && hi + in.offsets[j] < w.last))
            return false;
    }
    return true;
}

} // namespace

double BlockFitter::squaredTargets(const double* e, const double* mu, int n, double dE) const
{
    const Plan& plan = *m_plan;
    const double* t = plan.mlcf ? mu : m_norm.doubleNormalizedPreBase();
    AccumulateInput in{};
    in.e = e;
    in.dE = dE;
    double tt = 0.0;
    for (int i = 0; i < n; ++i) {
        const double x = correctedEnergy(in, i);
        if (x < plan.lo || x > plan.hi)
            continue;
        tt += t[i] * t[i];
    }
    return tt;
}

void BlockFitter::accumulate(const double* e, const double* mu, int n, double dE, int unknowns)
{
    if (unknowns == 0)
        return;
    const Plan& plan = *m_plan;
    const int used = plan.used();
    // Every walk position must be a valid one for the call-free walk; any
    // valid position gives the same values, a near one only sooner.
    if (n > m_hintPoints) {
        m_hints.resize(std::size_t(used) * std::size_t(n));
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < used; ++j)
                m_hints[std::size_t(i) * std::size_t(used) + std::size_t(j)] =
                    plan.walks[std::size_t(j)].walks() ? plan.walks[std::size_t(j)].bisect(e[i] - dE + plan.offsets[std::size_t(j)]) : 0;
        m_hintPoints = n;
    }
    AccumulateInput in;
    in.e = e;
    in.mu = mu;
    in.target = plan.mlcf ? nullptr : m_norm.doubleNormalizedPreBase();
    in.n = n;
    in.dE = dE;
    in.walks = plan.walks.data();
    in.offsets = plan.offsets.data();
    in.used = used;
    in.lo = plan.lo;
    in.hi = plan.hi;
    in.mlcf = plan.mlcf;
    in.hints = m_hints.data();
    double* a = &m_system.a(0, 0);
    double* y = &m_system.b(0);

    // The call-free path needs walking references and no NaN energy anywhere.
    bool fixed = plan.allWalk && !std::isnan(dE);
    for (int i = 0; i < n && fixed; ++i)
        fixed = !std::isnan(e[i]);
    const int key = !fixed ? 0 : (plan.mlcf ? -unknowns : unknowns);
    const bool inside = fixed && allInside(in);
    // The sums start from 0 either way, as in the zeroed system.
    switch (key) {
    case 1: accumulateFixed<1, false>(in, inside, a, y); break;
    case 2: accumulateFixed<2, false>(in, inside, a, y); break;
    case 3: accumulateFixed<3, false>(in, inside, a, y); break;
    case 4: accumulateFixed<4, false>(in, inside, a, y); break;
    case 5: accumulateFixed<5, false>(in, inside, a, y); break;
    case 6: accumulateFixed<6, false>(in, inside, a, y); break;
    case -2: accumulateFixed<2, true>(in, inside, a, y); break;
    case -3: accumulateFixed<3, true>(in, inside, a, y); break;
    case -4: accumulateFixed<4, true>(in, inside, a, y); break;
    case -5: accumulateFixed<5, true>(in, inside, a, y); break;
    case -6: accumulateFixed<6, true>(in, inside, a, y); break;
    case -7: accumulateFixed<7, true>(in, inside, a, y); break;
    case -8: accumulateFixed<8, true>(in, inside, a, y); break;
    default:
        m_basis.resize(std::size_t(unknowns));
        accumulateAny(in, unknowns, a, y, m_basis.data());
        break;
    }
}
