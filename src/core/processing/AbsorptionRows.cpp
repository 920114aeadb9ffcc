#include "processing/AbsorptionRows.h"

#include <cmath>
#include <cstdint>

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "processing/AbsorptionRows.cpp"
#include "hwy/foreach_target.h"  // compiles this file once per instruction set

#include "hwy/highway.h"
#include "base/NaturalLog-inl.h"

HWY_BEFORE_NAMESPACE();
namespace orv {
namespace HWY_NAMESPACE {

using Rule = AbsorptionRows::Rule;

// The I0 value of I0Series::valueAt from the two sums.
template <class D, class V = hn::VFromD<D>>
HWY_INLINE V I0Value(D d, const Rule& rule, V sa, V sb)
{
    switch (rule.kind) {
    case Rule::OneI0:
        return sa;
    case Rule::Line:
        return hn::Add(hn::Mul(hn::Div(hn::Sub(sb, sa), hn::Set(d, rule.b - rule.a)), hn::Set(d, rule.e - rule.a)), sa);
    case Rule::Mean:
        return hn::Div(hn::Add(sa, sb), hn::Set(d, 2.0));
    default:
        return hn::Set(d, 1.0);
    }
}

// AbsorptionSpectrum::value on a vector.
template <class D, class V = hn::VFromD<D>>
HWY_INLINE V Absorption(D d, const Rule& rule, V s0, V s1)
{
    if (rule.fluorescence)
        return hn::Div(s1, s0);
    const auto positive = hn::Gt(hn::Mul(s1, s0), hn::Zero(d));
    return hn::IfThenElse(positive, NaturalLogOf(d, hn::Div(s0, s1)), hn::Set(d, 1.0));
}

template <class D, class V = hn::VFromD<D>>
HWY_INLINE V RowValue(D d, const Rule& rule, V s1, V sa, V sb)
{
    return Absorption(d, rule, I0Value(d, rule, sa, sb), s1);
}

void Values(const Rule& rule, const double* s1, const double* sa, const double* sb, double* out, int64_t n)
{
    if (rule.kind == Rule::Raw) {
        for (int64_t i = 0; i < n; ++i)
            out[i] = s1[i];
        return;
    }
    const hn::ScalableTag<double> d;
    const int64_t lanes = int64_t(hn::Lanes(d));
    const bool useA = rule.kind != Rule::NoI0;
    const bool useB = rule.kind == Rule::Line || rule.kind == Rule::Mean;
    const auto zero = hn::Zero(d);
    int64_t i = 0;
    for (; i + lanes <= n; i += lanes) {
        const auto a = useA ? hn::LoadU(d, sa + i) : zero;
        const auto b = useB ? hn::LoadU(d, sb + i) : zero;
        hn::StoreU(RowValue(d, rule, hn::LoadU(d, s1 + i), a, b), d, out + i);
    }
    if (i == n)
        return;
    // The rest through one full vector; the unused lanes compute harmless values.
    HWY_ALIGN double t1[hn::MaxLanes(d)], ta[hn::MaxLanes(d)], tb[hn::MaxLanes(d)];
    for (int64_t k = 0; k < lanes; ++k) {
        const bool in = i + k < n;
        t1[k] = in ? s1[i + k] : 1.0;
        ta[k] = in && useA ? sa[i + k] : 1.0;
        tb[k] = in && useB ? sb[i + k] : 1.0;
    }
    hn::Store(RowValue(d, rule, hn::Load(d, t1), hn::Load(d, ta), hn::Load(d, tb)), d, t1);
    for (int64_t k = 0; i + k < n; ++k)
        out[i + k] = t1[k];
}

} // namespace HWY_NAMESPACE
} // namespace orv
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace orv {
HWY_EXPORT(Values);
} // namespace orv

AbsorptionRows::Rule AbsorptionRows::Rule::of(const I0Series& i0, const I0Series::Bracket& br, double e,
                                              bool fluorescence, bool raw)
{
    Rule r;
    r.fluorescence = fluorescence;
    r.e = e;
    if (raw)
        return r;
    if (br.count == 0) {
        r.kind = NoI0;
        return r;
    }
    if (br.count == 1) {
        r.kind = OneI0;
        return r;
    }
    r.a = i0.energy(br.a);
    r.b = i0.energy(br.b);
    r.kind = r.a == r.b || std::isnan(r.a) || std::isnan(r.b) ? Mean : Line;
    return r;
}

void AbsorptionRows::values(const Rule& rule, const double* s1, const double* sa, const double* sb, double* out,
                            int n)
{
    if (n > 0)
        HWY_DYNAMIC_DISPATCH(orv::Values)(rule, s1, sa, sb, out, int64_t(n));
}
#endif
