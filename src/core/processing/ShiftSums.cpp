#include "processing/ShiftSums.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "processing/ShiftSums.cpp"
#include "hwy/foreach_target.h"  // compiles this file once per instruction set

#include "hwy/highway.h"

HWY_BEFORE_NAMESPACE();
namespace orv {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// Sets without native rounding (and emulated vectors) look the values up
// lane by lane: the lane table's bookkeeping costs them more than it saves.
#undef ORV_SHIFT_SUMS_PLAIN_LOOKUP
#if HWY_TARGET == HWY_SSSE3 || HWY_TARGET == HWY_EMU128 || HWY_TARGET == HWY_SCALAR
#define ORV_SHIFT_SUMS_PLAIN_LOOKUP 1
#else
#define ORV_SHIFT_SUMS_PLAIN_LOOKUP 0
#endif

// One vector of trial shifts over every point. The lookup is the scalar one
// lane by lane: u = (x - s - start) * inverseStep; at or below 0 (NaN
// included) the first value, at or beyond the last index the last value,
// else the two neighbours blended by the fraction of u.
//
// With a lane table, lane l of this vector reads its neighbours from rows
// index + offsets[lane0 + l] of that table. For shifts one step apart those
// rows are one row R or the next for every lane, so three plain loads and a
// blend replace the two lookups per lane; a point whose lanes do not fall so
// (rounding right at a table index, the table's ends) takes the lookups.
// Either way each lane gets the same two table values.
template <class D>
HWY_INLINE void SumsOfOneVector(D d, const ShiftSums::Table& table, const double* pe, const double* pv, int m,
                                const double* shifts, int lane0, double* st, double* stt, double* stv)
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
#if !ORV_SHIFT_SUMS_PLAIN_LOOKUP
    const V one = hn::Set(d, 1.0);
    const ShiftSums::LaneTable* lanes = table.lanes;
    const std::size_t width = std::size_t(ShiftSums::laneWidth);
    // Minus each lane's row offset, so that row - offset is the lane's index.
    V minusOffsets = zero;
    double rowLimit = 0.0;
    if (lanes) {
        HWY_ALIGN double o[hn::MaxLanes(d)];
        for (std::size_t l = 0; l < hn::Lanes(d); ++l)
            o[l] = -double(lanes->offsets[std::size_t(lane0) + l]);
        minusOffsets = hn::Load(d, o);
        rowLimit = double(lanes->rowCount - 2 - lanes->offsets[lane0]);
    }
#else
    (void)lane0;
#endif
    V sumT = zero, sumTT = zero, sumTV = zero;
    for (int j = 0; j < m; ++j) {
        const V u = hn::Mul(hn::Sub(hn::Sub(hn::Set(d, pe[j]), s), start), inverse);
        V t;
#if !ORV_SHIFT_SUMS_PLAIN_LOOKUP
        // Lane 0 has the largest u (the smallest shift): its row, from its
        // own index even where that lies beyond the table.
        const double u0 = hn::GetLane(u);
        bool rowsRead = false;
        if (lanes && u0 > 0.0 && u0 < rowLimit) {
            const std::int64_t row = std::int64_t(u0) + lanes->offsets[lane0];
            // The whole part of u against each lane's index on row R: 0 there,
            // 1 on the next row. Rows beyond the table's ends hold the end
            // values, so lanes outside it come out as the end values too.
            const V index = hn::Floor(u);
            const V step = hn::Sub(index, hn::Add(hn::Set(d, double(row)), minusOffsets));
            const auto next = hn::Eq(step, one);
            if (hn::AllFalse(d, hn::Not(hn::Or(hn::Eq(step, zero), next)))) {
                const double* r = lanes->rows.data() + std::size_t(row) * width + std::size_t(lane0);
                const V r0 = hn::LoadU(d, r), r1 = hn::LoadU(d, r + width), r2 = hn::LoadU(d, r + 2 * width);
                const V a = hn::IfThenElse(next, r1, r0);
                const V b = hn::IfThenElse(next, r2, r1);
                t = hn::Add(a, hn::Mul(hn::Sub(b, a), hn::Sub(u, index)));
                rowsRead = true;
            }
        }
        if (!rowsRead)
#endif
        {
            // Lanes at either end read the table at 0 and take the end value.
            const auto below = hn::Not(hn::Gt(u, zero));
            const auto beyond = hn::Ge(u, last);
            const auto outside = hn::Or(below, beyond);
            const V inside = hn::IfThenElse(outside, zero, u);
            const auto i = hn::ConvertTo(di, inside);
            const V w = hn::Sub(inside, hn::ConvertTo(d, i));
            const V a = hn::GatherIndex(d, table.values, i);
            const V b = hn::GatherIndex(d, table.values + 1, i);
            t = hn::Add(a, hn::Mul(hn::Sub(b, a), w));
            t = hn::IfThenElse(beyond, end, t);
            t = hn::IfThenElse(below, first, t);
        }
        sumT = hn::Add(sumT, t);
        sumTT = hn::Add(sumTT, hn::Mul(t, t));
        sumTV = hn::Add(sumTV, hn::Mul(t, hn::Set(d, pv[j])));
    }
    hn::StoreU(sumT, d, st);
    hn::StoreU(sumTT, d, stt);
    hn::StoreU(sumTV, d, stv);
}

// One trial shift alone, the same operations as one lane above.
void SumsOfOneShift(const ShiftSums::Table& table, const double* pe, const double* pv, int m, double s,
                    double* st, double* stt, double* stv)
{
    const double last = double(table.count - 1);
    double sumT = 0.0, sumTT = 0.0, sumTV = 0.0;
    for (int j = 0; j < m; ++j) {
        const double u = (pe[j] - s - table.start) * table.inverseStep;
        double t;
        if (!(u > 0.0)) {
            t = table.values[0];
        } else if (u >= last) {
            t = table.values[table.count - 1];
        } else {
            const std::size_t i = std::size_t(u);
            const double w = u - double(i);
            const double a = table.values[i];
            t = a + (table.values[i + 1] - a) * w;
        }
        sumT += t;
        sumTT += t * t;
        sumTV += t * pv[j];
    }
    *st = sumT;
    *stt = sumTT;
    *stv = sumTV;
}

void Sums(const ShiftSums::Table& table, const double* pe, const double* pv, int m, const double* shifts,
          int count, double* st, double* stt, double* stv)
{
    const hn::ScalableTag<double> d;
    const int n = int(hn::Lanes(d));
    ShiftSums::Table t = table;
    if (ORV_SHIFT_SUMS_PLAIN_LOOKUP || n > ShiftSums::laneWidth || ShiftSums::laneWidth % n != 0)
        t.lanes = nullptr;
    int k = 0;
    for (; k + n <= count; k += n)
        SumsOfOneVector(d, t, pe, pv, m, shifts + k, k % ShiftSums::laneWidth, st + k, stt + k, stv + k);
    // The shifts left over, fewer than a vector's lanes, one at a time.
    for (; k < count; ++k)
        SumsOfOneShift(table, pe, pv, m, shifts[k], st + k, stt + k, stv + k);
}

} // namespace HWY_NAMESPACE
} // namespace orv
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace orv {
HWY_EXPORT(Sums);
} // namespace orv

ShiftSums::LaneTable ShiftSums::makeLaneTable(const Table& table, double shiftStep)
{
    LaneTable lanes;
    const double stepInTable = shiftStep * table.inverseStep;
    if (table.count < 2 || !(stepInTable >= 0.0) || stepInTable * laneWidth > 1e6)
        return lanes;
    // A lane beyond either end reads the end value twice and adds 0 times
    // its fraction: the end value itself, unless that is -0 (which + 0
    // turns into +0) or the values are so large that a difference overflows.
    const double firstValue = table.values[0], endValue = table.values[table.count - 1];
    if ((firstValue == 0.0 && std::signbit(firstValue)) || (endValue == 0.0 && std::signbit(endValue)))
        return lanes;
    for (int i = 0; i < table.count; ++i)
        if (!(std::fabs(table.values[i]) < 1e300))
            return lanes;
    for (int l = 0; l < laneWidth; ++l)
        lanes.offsets[l] = std::int64_t(std::floor(l * stepInTable + 0.5));
    lanes.rowCount = table.count + int(lanes.offsets[laneWidth - 1]) + 2;
    lanes.rows.resize(std::size_t(lanes.rowCount) * laneWidth);
    for (int r = 0; r < lanes.rowCount; ++r)
        for (int l = 0; l < laneWidth; ++l) {
            // Rows no lane reads hold the nearest end value.
            const std::int64_t i = std::clamp<std::int64_t>(r - lanes.offsets[l], 0, table.count - 1);
            lanes.rows[std::size_t(r) * laneWidth + std::size_t(l)] = table.values[i];
        }
    return lanes;
}

void ShiftSums::compute(const Table& table, const double* pe, const double* pv, int m, const double* shifts,
                        int count, double* st, double* stt, double* stv)
{
    HWY_DYNAMIC_DISPATCH(orv::Sums)(table, pe, pv, m, shifts, count, st, stt, stv);
}
#endif
