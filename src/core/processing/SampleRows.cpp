#include "processing/SampleRows.h"

#include <cstdint>

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "processing/SampleRows.cpp"
#include "hwy/foreach_target.h"  // compiles this file once per instruction set

#include "hwy/highway.h"

HWY_BEFORE_NAMESPACE();
namespace orv {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

void Widen16(const uint16_t* p, double* out, int64_t n)
{
    const hn::ScalableTag<double> d;
    const hn::Rebind<int32_t, decltype(d)> d32;
    const hn::Rebind<uint16_t, decltype(d)> d16;
    const int64_t lanes = int64_t(hn::Lanes(d));
    int64_t i = 0;
    for (; i + lanes <= n; i += lanes)
        hn::StoreU(hn::PromoteTo(d, hn::PromoteTo(d32, hn::LoadU(d16, p + i))), d, out + i);
    for (; i < n; ++i)
        out[i] = double(p[i]);
}

void Widen32(const uint32_t* p, double* out, int64_t n)
{
    const hn::ScalableTag<double> d;
    const hn::Rebind<int64_t, decltype(d)> d64;
    const hn::Rebind<uint64_t, decltype(d)> du64;
    const hn::Rebind<uint32_t, decltype(d)> d32;
    const int64_t lanes = int64_t(hn::Lanes(d));
    int64_t i = 0;
    for (; i + lanes <= n; i += lanes)
        hn::StoreU(hn::ConvertTo(d, hn::BitCast(d64, hn::PromoteTo(du64, hn::LoadU(d32, p + i)))), d, out + i);
    for (; i < n; ++i)
        out[i] = double(p[i]);
}

} // namespace HWY_NAMESPACE
} // namespace orv
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace orv {
HWY_EXPORT(Widen16);
HWY_EXPORT(Widen32);
} // namespace orv

void SampleRows::widen(const quint16* p, double* out, int n)
{
    if (n > 0)
        HWY_DYNAMIC_DISPATCH(orv::Widen16)(p, out, int64_t(n));
}

void SampleRows::widen(const quint32* p, double* out, int n)
{
    if (n > 0)
        HWY_DYNAMIC_DISPATCH(orv::Widen32)(p, out, int64_t(n));
}
#endif
