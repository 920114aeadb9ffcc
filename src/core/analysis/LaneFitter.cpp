#include "analysis/LaneFitter.h"

#include "analysis/FitShares.h"
#include "physics/LuSolver.h"

#include <cstdint>

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "analysis/LaneFitter.cpp"
#include "hwy/foreach_target.h"  // compiles this file once per instruction set

#include "hwy/highway.h"

HWY_BEFORE_NAMESPACE();
namespace orv {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

constexpr int kTile = LaneFitter::lanes;
using Work = LaneFitter::Work;
using View = ReferenceWalk::View;

// The segment ReferenceWalk's walk interpolates on at energy z: the first for
// z at or below the first energy, the last at or above the last energy.
inline int SegmentOf(const View& w, double z, int& hint)
{
    if (z <= w.first)
        return 0;
    if (z >= w.last)
        return w.n - 2;
    int lo = hint;
    while (w.s[lo].xNext <= z)
        ++lo;
    while (w.s[lo].x > z)
        --lo;
    hint = lo;
    return lo;
}

template <class D, class V = hn::VFromD<D>>
HWY_INLINE V OnSegment(D d, const ReferenceWalk::Segment& s, V z)
{
    return hn::Add(hn::Set(d, s.y), hn::Mul(hn::Set(d, s.slope), hn::Sub(z, hn::Set(d, s.x))));
}

// The reference at every lane's energy z, as ReferenceWalk's walk gives it;
// zMin is the lowest of them.
template <class D, class V = hn::VFromD<D>>
HWY_INLINE V Reference(D d, const View& w, V z, double zMin, int& hint)
{
    const int s = SegmentOf(w, zMin, hint);
    const V here = OnSegment(d, w.s[s], z);
    const int last = w.n - 2;
    if (s == last)
        return here;
    const auto next = hn::Ge(z, hn::Set(d, w.s[s].xNext));
    if (hn::AllFalse(d, next))
        return here;
    if (s + 1 == last || hn::AllFalse(d, hn::Ge(z, hn::Set(d, w.s[s + 1].xNext))))
        return hn::IfThenElse(next, OnSegment(d, w.s[s + 1], z), here);
    // Some lane lies further on: each lane walks on its own.
    HWY_ALIGN double zs[hn::MaxLanes(d)];
    hn::Store(z, d, zs);
    for (std::size_t l = 0; l < hn::Lanes(d); ++l) {
        int h = s;
        zs[l] = w.walk(zs[l], h);
    }
    return hn::Load(d, zs);
}

// BlockFitter's fixed sums for lanes q ... q + N - 1. A point outside a
// lane's range adds +0 to its sums (its basis and target are zeroed), which
// leaves them as they are.
template <int M, bool Mlcf, class D>
void AccumulateGroup(D d, const Work& w, int q)
{
    using V = hn::VFromD<D>;
    constexpr int R = Mlcf ? M - 2 : M;
    const V zero = hn::Zero(d);
    // Fully unrolled, so that the sums stay in registers.
    V sa[M][M];
    V sy[M];
#pragma GCC unroll 8
    for (int k = 0; k < M; ++k) {
        sy[k] = zero;
#pragma GCC unroll 8
        for (int l = 0; l < M; ++l)
            sa[k][l] = zero;
    }
    V tt = zero;
    const V dE = hn::LoadU(d, w.dE + q);
    // The lane with the largest shift has the lowest energies (rounding keeps
    // the order).
    const double dEMax = hn::GetLane(hn::MaxOfLanes(d, dE));
    const V lo = hn::Set(d, w.lo), hi = hn::Set(d, w.hi);
    View walks[R];
    double offsets[R];
    for (int j = 0; j < R; ++j) {
        walks[j] = w.walks[j];
        offsets[j] = w.offsets[j];
    }
    for (int i = 0; i < w.n; ++i) {
        // BlockFitter's corrected energy: no offset in force, then dE.
        const double e = w.e[i] - 0.0;
        const V x = hn::Sub(hn::Set(d, e), dE);
        const double xMin = e - dEMax;
        const auto in = hn::And(hn::Ge(x, lo), hn::Le(x, hi));
        if (hn::AllFalse(d, in))
            continue;
        int* hint = w.hints + std::size_t(i) * R;
        V v[M];
        if (Mlcf) {
            v[0] = hn::Set(d, 1.0);
            v[1] = x;
        }
#pragma GCC unroll 8
        for (int j = 0; j < R; ++j)
            v[M - R + j] = Reference(d, walks[j], hn::Add(x, hn::Set(d, offsets[j])), xMin + offsets[j], hint[j]);
        const V t = hn::IfThenElseZero(in, hn::LoadU(d, w.target + std::size_t(i) * kTile + q));
#pragma GCC unroll 8
        for (int k = 0; k < M; ++k)
            v[k] = hn::IfThenElseZero(in, v[k]);
#pragma GCC unroll 8
        for (int k = 0; k < M; ++k) {
#pragma GCC unroll 8
            for (int l = k; l < M; ++l)
                sa[k][l] = hn::Add(sa[k][l], hn::Mul(v[k], v[l]));
            sy[k] = hn::Add(sy[k], hn::Mul(v[k], t));
        }
        tt = hn::Add(tt, hn::Mul(t, t));
    }
    // Lane by lane into the systems, the upper triangle mirrored.
    HWY_ALIGN double lane[hn::MaxLanes(d)];
    const std::size_t N = hn::Lanes(d);
    for (int k = 0; k < M; ++k) {
        for (int l = k; l < M; ++l) {
            hn::Store(sa[k][l], d, lane);
            for (std::size_t p = 0; p < N; ++p) {
                double* a = w.a + (q + p) * M * M;
                a[k * M + l] = a[l * M + k] = lane[p];
            }
        }
        hn::Store(sy[k], d, lane);
        for (std::size_t p = 0; p < N; ++p)
            w.y[(q + p) * M + k] = lane[p];
    }
    hn::Store(tt, d, lane);
    for (std::size_t p = 0; p < N; ++p)
        w.tt[q + p] = lane[p];
}

template <int M, bool Mlcf>
void AccumulateAll(const Work& w)
{
    const hn::CappedTag<double, kTile> d;
    for (int q = 0; q < kTile; q += int(hn::Lanes(d)))
        AccumulateGroup<M, Mlcf>(d, w, q);
}

void AccumulateLanes(const Work& w)
{
    switch (w.mlcf ? -w.unknowns : w.unknowns) {
    case 1: AccumulateAll<1, false>(w); break;
    case 2: AccumulateAll<2, false>(w); break;
    case 3: AccumulateAll<3, false>(w); break;
    case 4: AccumulateAll<4, false>(w); break;
    case 5: AccumulateAll<5, false>(w); break;
    case 6: AccumulateAll<6, false>(w); break;
    case 7: AccumulateAll<7, false>(w); break;
    case 8: AccumulateAll<8, false>(w); break;
    case -3: AccumulateAll<3, true>(w); break;
    case -4: AccumulateAll<4, true>(w); break;
    case -5: AccumulateAll<5, true>(w); break;
    case -6: AccumulateAll<6, true>(w); break;
    case -7: AccumulateAll<7, true>(w); break;
    case -8: AccumulateAll<8, true>(w); break;
    default: break;
    }
}

} // namespace HWY_NAMESPACE
} // namespace orv
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace orv {
HWY_EXPORT(AccumulateLanes);
} // namespace orv

bool LaneFitter::suits(const BlockFitter::Plan& plan)
{
    const int used = plan.used();
    const int unknowns = plan.mlcf ? used + 2 : used;
    if (used < 1 || unknowns > 8 || !plan.allWalk)
        return false;
    for (const ReferenceWalk& walk : plan.walks) {
        const ReferenceWalk::View v = walk.view();
        if (v.n < 2 || !(v.s[0].x != v.s[0].xNext) || !(v.s[v.n - 2].x != v.s[v.n - 2].xNext))
            return false;
    }
    return true;
}

void LaneFitter::fit(const double* e, const double* mu, int n, bool victoreen, const double* dE, const Out* out)
{
    const BlockFitter::Plan& plan = *m_plan;
    const int used = plan.used();
    const int m = plan.mlcf ? used + 2 : used;
    if (!plan.mlcf)
        m_norm.compute(e, mu, n, victoreen);
    if (m_walks.empty())
        for (const ReferenceWalk& walk : plan.walks)
            m_walks.push_back(walk.view());
    // Any valid walk position gives the same values, a near one sooner.
    if (n > m_hintPoints) {
        m_hints.resize(std::size_t(used) * std::size_t(n));
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < used; ++j)
                m_hints[std::size_t(i) * std::size_t(used) + std::size_t(j)] =
                    plan.walks[std::size_t(j)].bisect(e[i] - dE[0] + plan.offsets[std::size_t(j)]);
        m_hintPoints = n;
    }
    m_a.resize(std::size_t(lanes) * std::size_t(m * m));
    m_y.resize(std::size_t(lanes) * std::size_t(m));
    m_tt.resize(lanes);
    Work w;
    w.e = e;
    w.target = plan.mlcf ? mu : m_norm.doubleNormalizedPreBase();
    w.n = n;
    w.dE = dE;
    w.lo = plan.lo;
    w.hi = plan.hi;
    w.mlcf = plan.mlcf;
    w.unknowns = m;
    w.walks = m_walks.data();
    w.offsets = plan.offsets.data();
    w.hints = m_hints.data();
    w.a = m_a.data();
    w.y = m_y.data();
    w.tt = m_tt.data();
    HWY_DYNAMIC_DISPATCH(orv::AccumulateLanes)(w);

    // Lane by lane as BlockFitter::fit goes on from its sums.
    m_normal.resize(std::size_t(m) * std::size_t(m + 1));
    m_perm.resize(std::size_t(m));
    m_c.resize(std::size_t(m));
    for (int l = 0; l < lanes; ++l) {
        double* a = m_a.data() + std::size_t(l) * std::size_t(m * m);
        double* y = m_y.data() + std::size_t(l) * std::size_t(m);
        std::copy(a, a + m * m, m_normal.begin());
        std::copy(y, y + m, m_normal.begin() + m * m);
        LuSolver::solve(m, a, y, m_perm.data(), m_c.data());
        const Out& o = out[l];
        if (o.rFactor)
            *o.rFactor = FitShares::rFactor(m_normal.data(), m_normal.data() + m * m, m_c.data(), m, m_tt[std::size_t(l)]);
        if (plan.mlcf)
            FitShares::mlcf(m_c.data(), used, o.fractions, o.amounts);
        else
            FitShares::lcf(m_c.data(), used, m_norm.jump(l), o.fractions, o.amounts);
    }
}
#endif
