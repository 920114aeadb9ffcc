// The natural logarithm on SIMD vectors, compiled once per instruction set
// (include it after "hwy/highway.h" inside a file that goes through
// hwy/foreach_target.h). Every instruction set gives the same bits: only
// additions, subtractions, multiplications and one division, each rounded on
// its own (no fused multiply-add, and orvcore is built without contraction),
// bit operations, comparisons and selections, in the same order whatever the
// vector width. The algorithm is the classic one with an error below one ulp:
// x = 2^k * m with m in [sqrt(2)/2, sqrt(2)), f = m - 1, s = f / (2 + f), and
// log(1 + f) from an odd series in s.

#if defined(ORV_NATURAL_LOG_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef ORV_NATURAL_LOG_INL_H_
#undef ORV_NATURAL_LOG_INL_H_
#else
#define ORV_NATURAL_LOG_INL_H_
#endif

#include "hwy/highway.h"

HWY_BEFORE_NAMESPACE();
namespace orv {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// log(x) in every lane: +inf for +inf, -inf for +-0, NaN for NaN and for
// negative x; subnormal x is scaled into the normal range first.
template <class D, class V = hn::VFromD<D>>
HWY_INLINE V NaturalLogOf(D d, V x)
{
    const hn::RebindToSigned<D> di;
    using VI = hn::VFromD<decltype(di)>;

    const auto tiny = hn::Lt(x, hn::Set(d, 2.2250738585072014e-308));  // below the normal range
    const V xs = hn::IfThenElse(tiny, hn::Mul(x, hn::Set(d, 18014398509481984.0)), x);  // * 2^54
    const VI bits = hn::BitCast(di, xs);
    VI k = hn::Sub(hn::ShiftRight<52>(bits), hn::Set(di, 1023));
    k = hn::IfThenElse(hn::RebindMask(di, tiny), hn::Sub(k, hn::Set(di, 54)), k);
    // The mantissa, moved to [sqrt(2)/2, sqrt(2)) by the upper 20 bits of it.
    const VI mantissa = hn::And(bits, hn::Set(di, 0x000fffffffffffffLL));
    const VI high = hn::ShiftRight<32>(mantissa);
    const auto upper = hn::Gt(hn::Add(high, hn::Set(di, 0x95f64)), hn::Set(di, 0xfffff));
    k = hn::IfThenElse(upper, hn::Add(k, hn::Set(di, 1)), k);
    const VI exponent = hn::IfThenElse(upper, hn::Set(di, 0x3fe0000000000000LL), hn::Set(di, 0x3ff0000000000000LL));
    const V m = hn::BitCast(d, hn::Or(mantissa, exponent));
    const V f = hn::Sub(m, hn::Set(d, 1.0));

    const V dk = hn::ConvertTo(d, k);
    const V s = hn::Div(f, hn::Add(hn::Set(d, 2.0), f));
    const V z = hn::Mul(s, s);
    const V w = hn::Mul(z, z);
    const V lg1 = hn::Set(d, 6.666666666666735130e-01);
    const V lg2 = hn::Set(d, 3.999999999940941908e-01);
    const V lg3 = hn::Set(d, 2.857142874366239149e-01);
    const V lg4 = hn::Set(d, 2.222219843214978396e-01);
    const V lg5 = hn::Set(d, 1.818357216161805012e-01);
    const V lg6 = hn::Set(d, 1.531383769920937332e-01);
    const V lg7 = hn::Set(d, 1.479819860511658591e-01);
    const V t1 = hn::Mul(w, hn::Add(lg2, hn::Mul(w, hn::Add(lg4, hn::Mul(w, lg6)))));
    const V t2 = hn::Mul(z, hn::Add(lg1, hn::Mul(w, hn::Add(lg3, hn::Mul(w, hn::Add(lg5, hn::Mul(w, lg7)))))));
    const V r = hn::Add(t2, t1);
    const V hi = hn::Mul(dk, hn::Set(d, 6.93147180369123816490e-01));  // ln 2, upper part
    const V lo = hn::Mul(dk, hn::Set(d, 1.90821492927058770002e-10));  // ln 2, the rest
    // Near the ends of the interval (|f| about 0.3 to 0.41) the form with
    // f^2 / 2 split off is the more accurate one.
    const V hfsq = hn::Mul(hn::Mul(hn::Set(d, 0.5), f), f);
    const V nearEnds = hn::Sub(hi, hn::Sub(hn::Sub(hfsq, hn::Add(hn::Mul(s, hn::Add(hfsq, r)), lo)), f));
    const V middle = hn::Sub(hi, hn::Sub(hn::Sub(hn::Mul(s, hn::Sub(f, r)), lo), f));
    const auto ends = hn::And(hn::Gt(high, hn::Set(di, 0x61479)), hn::Lt(high, hn::Set(di, 0x6b852)));
    V result = hn::IfThenElse(hn::RebindMask(d, ends), nearEnds, middle);

    const V inf = hn::Set(d, HUGE_VAL);
    result = hn::IfThenElse(hn::Eq(x, inf), inf, result);
    result = hn::IfThenElse(hn::Eq(x, hn::Zero(d)), hn::Neg(inf), result);
    const auto invalid = hn::Or(hn::Lt(x, hn::Zero(d)), hn::IsNaN(x));
    return hn::IfThenElse(invalid, hn::Set(d, NAN), result);
}

} // namespace HWY_NAMESPACE
} // namespace orv
HWY_AFTER_NAMESPACE();

#endif
