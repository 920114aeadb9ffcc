#include "processing/LaneNormalization.h"

#include "physics/BackgroundFit.h"
#include "physics/PhysConst.h"
#include "processing/EdgeNormalization.h"

#include <cstdint>

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "processing/LaneNormalization.cpp"
#include "hwy/foreach_target.h"  // compiles this file once per instruction set

#include "hwy/highway.h"

HWY_BEFORE_NAMESPACE();
namespace orv {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

constexpr int kTile = LaneNormalization::lanes;
using Work = LaneNormalization::Work;
using EN = EdgeNormalization;

// BackgroundFit::fit's sums of every lane of a group over its own window
// [eMin, eMax) (the walk of a lane ends at its first point at or above
// eMax). A point outside a lane's window adds +0 to its sums, which leaves
// them as they are: a sum that starts at +0 never becomes -0.
template <class D>
void WindowSums(D d, const Work& w, const double* mu, const double* eMin, const double* eMax,
                BackgroundFit::Sums* sums)
{
    using V = hn::VFromD<D>;
    const V lo = hn::LoadU(d, eMin), hi = hn::LoadU(d, eMax);
    const V zero = hn::Zero(d), one = hn::Set(d, 1.0);
    auto active = hn::FirstN(d, hn::Lanes(d));
    V cnt = zero, s3 = zero, s4 = zero, s6 = zero, s7 = zero, s8 = zero, sy = zero, s3y = zero, s4y = zero;
    V se = zero, se2 = zero, sey = zero, firstY = zero;
    for (int i = 0; i < w.n; ++i) {
        const double e = w.e[i];
        const V ev = hn::Set(d, e);
        active = hn::AndNot(hn::Ge(ev, hi), active);
        const auto in = hn::AndNot(hn::Lt(ev, lo), active);
        if (hn::AllFalse(d, in)) {
            if (hn::AllFalse(d, active))
                break;
            continue;
        }
        const V v = hn::LoadU(d, mu + std::size_t(i) * kTile);
        if (w.victoreen) {
            const double l = PhysConst::hc / e;
            const double l3 = l * l * l;
            const double l4 = l3 * l;
            const V l3v = hn::Set(d, l3), l4v = hn::Set(d, l4);
            cnt = hn::Add(cnt, hn::IfThenElseZero(in, one));
            s3 = hn::Add(s3, hn::IfThenElseZero(in, l3v));
            s4 = hn::Add(s4, hn::IfThenElseZero(in, l4v));
            s6 = hn::Add(s6, hn::IfThenElseZero(in, hn::Set(d, l3 * l3)));
            s7 = hn::Add(s7, hn::IfThenElseZero(in, hn::Set(d, l3 * l4)));
            s8 = hn::Add(s8, hn::IfThenElseZero(in, hn::Set(d, l4 * l4)));
            sy = hn::Add(sy, hn::IfThenElseZero(in, v));
            s3y = hn::Add(s3y, hn::IfThenElseZero(in, hn::Mul(l3v, v)));
            s4y = hn::Add(s4y, hn::IfThenElseZero(in, hn::Mul(l4v, v)));
        } else {
            firstY = hn::IfThenElse(hn::And(in, hn::Eq(cnt, zero)), v, firstY);
            cnt = hn::Add(cnt, hn::IfThenElseZero(in, one));
            se = hn::Add(se, hn::IfThenElseZero(in, ev));
            se2 = hn::Add(se2, hn::IfThenElseZero(in, hn::Set(d, e * e)));
            sy = hn::Add(sy, hn::IfThenElseZero(in, v));
            sey = hn::Add(sey, hn::IfThenElseZero(in, hn::Mul(ev, v)));
        }
    }
    const std::size_t N = hn::Lanes(d);
    HWY_ALIGN double t[13][hn::MaxLanes(d)];
    const V all[13] = {cnt, s3, s4, s6, s7, s8, sy, s3y, s4y, se, se2, sey, firstY};
    for (int k = 0; k < 13; ++k)
        hn::Store(all[k], d, t[k]);
    for (std::size_t l = 0; l < N; ++l) {
        BackgroundFit::Sums& s = sums[l];
        double* f[13] = {&s.cnt, &s.s3, &s.s4, &s.s6, &s.s7, &s.s8, &s.sy, &s.s3y, &s.s4y,
                         &s.se, &s.se2, &s.sey, &s.firstY};
        for (int k = 0; k < 13; ++k)
            *f[k] = t[k][l];
    }
}

// A background line of every lane of a group, fitted and sampled at the
// points into line[i * kTile].
template <class D>
void FitLine(D d, const Work& w, const double* mu, const double* eMin, const double* eMax, double* line)
{
    using V = hn::VFromD<D>;
    const std::size_t N = hn::Lanes(d);
    BackgroundFit::Sums sums[hn::MaxLanes(d)];
    WindowSums(d, w, mu, eMin, eMax, sums);
    HWY_ALIGN double a0[hn::MaxLanes(d)], c3[hn::MaxLanes(d)], c4[hn::MaxLanes(d)], slope[hn::MaxLanes(d)];
    for (std::size_t l = 0; l < N; ++l) {
        const BackgroundFit::Coefficients c = BackgroundFit::solve(sums[l], w.victoreen);
        a0[l] = c.a0;
        c3[l] = c.c3;
        c4[l] = c.c4;
        slope[l] = c.slope;
    }
    const V va0 = hn::Load(d, a0), vc3 = hn::Load(d, c3), vc4 = hn::Load(d, c4), vs = hn::Load(d, slope);
    // BackgroundFit::value at every energy.
    for (int i = 0; i < w.n; ++i) {
        const double e = w.e[i];
        V v;
        if (w.victoreen) {
            const double l = PhysConst::hc / e;
            const double l3 = l * l * l;
            const V l3v = hn::Set(d, l3);
            v = hn::Add(hn::Add(va0, hn::Mul(vc3, l3v)), hn::Mul(hn::Mul(vc4, l3v), hn::Set(d, l)));
        } else {
            v = hn::Add(va0, hn::Mul(vs, hn::Set(d, e)));
        }
        hn::StoreU(v, d, line + std::size_t(i) * kTile);
    }
}

// EdgeNormalization::compute for lanes q ... q + N - 1.
template <class D>
void NormalizeGroup(D d, Work* w, int q)
{
    using V = hn::VFromD<D>;
    const std::size_t N = hn::Lanes(d);
    const int n = w->n;
    const double* e = w->e;
    const double* mu = w->mu + q;
    auto at = [](const double* p, int i) { return p + std::size_t(i) * kTile; };

    // The half-height energy: extremes as a spectrum tracks them, then the
    // first rising crossing of the level, found per lane and placed lane by
    // lane.
    V minY = hn::Set(d, 1e300), maxY = hn::Set(d, -1e300);
    for (int i = 0; i < n; ++i) {
        const V y = hn::LoadU(d, at(mu, i));
        minY = hn::IfThenElse(hn::Lt(y, minY), y, minY);
        maxY = hn::IfThenElse(hn::Gt(y, maxY), y, maxY);
    }
    const V level = hn::Add(minY, hn::Mul(hn::Set(d, 0.5), hn::Sub(maxY, minY)));
    V hit = hn::Set(d, -1.0);
    auto found = hn::FirstN(d, 0);
    for (int i = 0; i + 1 < n; ++i) {
        const auto now = hn::AndNot(found, hn::And(hn::Lt(hn::LoadU(d, at(mu, i)), level),
                                                    hn::Le(level, hn::LoadU(d, at(mu, i + 1)))));
        hit = hn::IfThenElse(now, hn::Set(d, double(i)), hit);
        found = hn::Or(found, now);
        if (hn::AllTrue(d, found))
            break;
    }
    HWY_ALIGN double levels[hn::MaxLanes(d)], hits[hn::MaxLanes(d)];
    hn::Store(level, d, levels);
    hn::Store(hit, d, hits);
    HWY_ALIGN double preMin[hn::MaxLanes(d)], preMax[hn::MaxLanes(d)], postMin[hn::MaxLanes(d)],
        postMax[hn::MaxLanes(d)];
    for (std::size_t l = 0; l < N; ++l) {
        const int i = int(hits[l]);
        const double eh = i < 0 ? e[0] : EN::crossing(e[i], at(mu, i)[l], e[i + 1], at(mu, i + 1)[l], levels[l]);
        w->eh[q + l] = eh;
        preMin[l] = eh + EN::preStart;
        preMax[l] = eh + EN::preEnd;
        postMin[l] = eh + EN::postStart;
        postMax[l] = eh + EN::postEnd;
    }

    // Both lines, when there are enough points for the form.
    if (w->sampled) {
        FitLine(d, *w, mu, preMin, preMax, w->pre + q);
        FitLine(d, *w, mu, postMin, postMax, w->post + q);
    }
    const V zero = hn::Zero(d);
    auto lineAt = [&](const double* line, int i) { return w->sampled ? hn::LoadU(d, at(line + q, i)) : zero; };

    // e0: the mean of the midline crossings between the two windows.
    const V lo = hn::LoadU(d, preMax), hi = hn::LoadU(d, postMin);
    V sum = zero, count = zero;
    for (int i = 0; i + 1 < n; ++i) {
        const double x = e[i];
        const V xv = hn::Set(d, x);
        const auto inside = hn::And(hn::Lt(lo, xv), hn::Lt(xv, hi));
        if (hn::AllFalse(d, inside))
            continue;
        const V p = lineAt(w->pre, i);
        const V mid = hn::Add(p, hn::Div(hn::Sub(lineAt(w->post, i), p), hn::Set(d, 2.0)));
        const V mu0 = hn::LoadU(d, at(mu, i)), mu1 = hn::LoadU(d, at(mu, i + 1));
        const auto crosses = hn::And(inside, hn::Le(hn::Mul(hn::Sub(mu1, mid), hn::Sub(mu0, mid)), zero));
        const V place = hn::Add(xv, hn::Mul(hn::Div(hn::Sub(mid, mu0), hn::Sub(mu1, mu0)), hn::Set(d, e[i + 1] - x)));
        sum = hn::Add(sum, hn::IfThenElseZero(crosses, place));
        count = hn::Add(count, hn::IfThenElseZero(crosses, hn::Set(d, 1.0)));
    }
    const V e0 = hn::IfThenElse(hn::Gt(count, zero), hn::Div(sum, count), zero);
    hn::StoreU(e0, d, w->e0 + q);
    for (std::size_t l = 0; l < N; ++l) {
        const double x = w->e0[q + l];
        const double post = w->sampled ? EN::valueAt(e, w->post + q + l, n, x, kTile) : 0.0;
        const double pre = w->sampled ? EN::valueAt(e, w->pre + q + l, n, x, kTile) : 0.0;
        w->jump[q + l] = post - pre;
    }

    // (mu - pre) / (post - pre).
    for (int i = 0; i < n; ++i) {
        const V p = lineAt(w->pre, i);
        hn::StoreU(hn::Div(hn::Sub(hn::LoadU(d, at(mu, i)), p), hn::Sub(lineAt(w->post, i), p)), d,
                   w->dnpb + q + std::size_t(i) * kTile);
    }
}

void NormalizeLanes(Work* w)
{
    const hn::CappedTag<double, kTile> d;
    for (int q = 0; q < kTile; q += int(hn::Lanes(d)))
        NormalizeGroup(d, w, q);
}

} // namespace HWY_NAMESPACE
} // namespace orv
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace orv {
HWY_EXPORT(NormalizeLanes);
} // namespace orv

void LaneNormalization::compute(const double* e, const double* mu, int n, bool victoreen)
{
    n = n > 0 ? n : 0;
    const std::size_t values = std::size_t(n) * lanes;
    m_e.assign(e, e + n);
    m_pre.resize(values);
    m_post.resize(values);
    m_dnpb.resize(values);
    m_work = Work();
    m_work.e = m_e.data();
    m_work.mu = mu;
    m_work.n = n;
    m_work.victoreen = victoreen;
    // As EdgeNormalization::fit: too few points for the form leave no line.
    m_work.sampled = victoreen ? n > 3 : n > 2;
    m_work.pre = m_pre.data();
    m_work.post = m_post.data();
    m_work.dnpb = m_dnpb.data();
    if (n > 0)
        HWY_DYNAMIC_DISPATCH(orv::NormalizeLanes)(&m_work);
}

double LaneNormalization::lineAt(const std::vector<double>& line, int lane, double x) const
{
    return m_work.sampled ? EdgeNormalization::valueAt(m_e.data(), line.data() + lane, int(m_e.size()), x, lanes)
                          : 0.0;
}
#endif
