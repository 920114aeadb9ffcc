#include "processing/ShiftSums.h"

#include <algorithm>
#include <cstddef>

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "processing/ShiftSums.cpp"
#include "hwy/foreach_target.h"  // compiles this file once per instruction set

#include "hwy/highway.h"

HWY_BEFORE_NAMESPACE();
namespace orv {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// One vector of trial shifts over every point. The lookup is the scalar one
// lane by lane: u = (x - s - start) * inverseStep; at or below 0 (NaN
// included) the first value, at or beyond the last index the last value,
// else the two neighbours blended by the fraction of u.
template <class D>
HWY_INLINE void SumsOfOneVector(D d, const ShiftSums::Table& table, const double* pe, const double* pv, int m,
                                const double* shifts, double* st, double* stt, double* stv)
{
    using V = hn::VFromD<D>;
    const hn::RebindToSigned<D> di;
    const V s = hn::LoadU(d, shifts);
    const V zero = hn::Zero(d);
    const V last = hn::Set(d, double(table.count - 1));
    const V first = hn::Set(d, table.values[0]);
    const V end = hn::Set(d, table.values[table.count - 1]);
    const V start = hn::Set(d, table.start);
    const V inverse = hn::Set(d, table.inverseStep);
    V sumT = zero, sumTT = zero, sumTV = zero;
    for (int j = 0; j < m; ++j) {
        const V u = hn::Mul(hn::Sub(hn::Sub(hn::Set(d, pe[j]), s), start), inverse);
        const auto below = hn::Not(hn::Gt(u, zero));
        const auto beyond = hn::Ge(u, last);
        // Lanes at either end read the table at 0 and take the end value.
        const V inside = hn::IfThenElse(hn::Or(below, beyond), zero, u);
        const auto index = hn::ConvertTo(di, inside);
        const V w = hn::Sub(inside, hn::ConvertTo(d, index));
        const V a = hn::GatherIndex(d, table.values, index);
        const V b = hn::GatherIndex(d, table.values + 1, index);
        V t = hn::Add(a, hn::Mul(hn::Sub(b, a), w));
        t = hn::IfThenElse(beyond, end, t);
        t = hn::IfThenElse(below, first, t);
        sumT = hn::Add(sumT, t);
        sumTT = hn::Add(sumTT, hn::Mul(t, t));
        sumTV = hn::Add(sumTV, hn::Mul(t, hn::Set(d, pv[j])));
    }
    hn::StoreU(sumT, d, st);
    hn::StoreU(sumTT, d, stt);
    hn::StoreU(sumTV, d, stv);
}

void Sums(const ShiftSums::Table& table, const double* pe, const double* pv, int m, const double* shifts,
          int count, double* st, double* stt, double* stv)
{
    const hn::ScalableTag<double> d;
    const int n = int(hn::Lanes(d));
    for (int k = 0; k < count; k += n) {
        if (k + n <= count) {
            SumsOfOneVector(d, table, pe, pv, m, shifts + k, st + k, stt + k, stv + k);
            continue;
        }
        // The last, partial vector: its spare lanes repeat the last shift.
        HWY_ALIGN double s[hn::MaxLanes(d)], a[hn::MaxLanes(d)], b[hn::MaxLanes(d)], c[hn::MaxLanes(d)];
        for (int l = 0; l < n; ++l)
            s[l] = shifts[std::min(k + l, count - 1)];
        SumsOfOneVector(d, table, pe, pv, m, s, a, b, c);
        for (int l = 0; k + l < count; ++l) {
            st[k + l] = a[l];
            stt[k + l] = b[l];
            stv[k + l] = c[l];
        }
    }
}

} // namespace HWY_NAMESPACE
} // namespace orv
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace orv {
HWY_EXPORT(Sums);
} // namespace orv

void ShiftSums::compute(const Table& table, const double* pe, const double* pv, int m, const double* shifts,
                        int count, double* st, double* stt, double* stv)
{
    HWY_DYNAMIC_DISPATCH(orv::Sums)(table, pe, pv, m, shifts, count, st, stt, stv);
}
#endif
