#include "base/NaturalLog.h"

#include <cmath>
#include <cstdint>

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "base/NaturalLog.cpp"
#include "hwy/foreach_target.h"  // compiles this file once per instruction set

#include "hwy/highway.h"
#include "base/NaturalLog-inl.h"

HWY_BEFORE_NAMESPACE();
namespace orv {
namespace HWY_NAMESPACE {

void LogArray(const double* x, double* out, int64_t n)
{
    const hn::ScalableTag<double> d;
    const int64_t lanes = int64_t(hn::Lanes(d));
    int64_t i = 0;
    for (; i + lanes <= n; i += lanes)
        hn::StoreU(NaturalLogOf(d, hn::LoadU(d, x + i)), d, out + i);
    if (i == n)
        return;
    // The rest through one full vector, the unused lanes at 1.
    HWY_ALIGN double tail[hn::MaxLanes(d)];
    for (int64_t k = 0; k < lanes; ++k)
        tail[k] = i + k < n ? x[i + k] : 1.0;
    hn::Store(NaturalLogOf(d, hn::Load(d, tail)), d, tail);
    for (int64_t k = 0; i + k < n; ++k)
        out[i + k] = tail[k];
}

} // namespace HWY_NAMESPACE
} // namespace orv
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace orv {
HWY_EXPORT(LogArray);
} // namespace orv

double NaturalLog::of(double x)
{
    double y;
    HWY_DYNAMIC_DISPATCH(orv::LogArray)(&x, &y, 1);
    return y;
}

void NaturalLog::ofArray(const double* x, double* out, qint64 n)
{
    if (n > 0)
        HWY_DYNAMIC_DISPATCH(orv::LogArray)(x, out, int64_t(n));
}
#endif
