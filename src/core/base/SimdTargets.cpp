#include "base/SimdTargets.h"

#include <cstdint>

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "base/SimdTargets.cpp"
#include "hwy/foreach_target.h"  // compiles this file once per instruction set

#include "hwy/highway.h"

HWY_BEFORE_NAMESPACE();
namespace orv {
namespace HWY_NAMESPACE {

int64_t ThisTarget()
{
    return HWY_TARGET;
}

} // namespace HWY_NAMESPACE
} // namespace orv
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace orv {
HWY_EXPORT(ThisTarget);
} // namespace orv

std::vector<SimdTargets::Target> SimdTargets::available()
{
    std::vector<Target> list;
    // Better sets have lower flags; the library lists them first.
    for (int64_t t : hwy::SupportedAndGeneratedTargets())
        list.push_back(Target{qint64(t), QString::fromLatin1(hwy::TargetName(t))});
    return list;
}

void SimdTargets::force(qint64 target)
{
    hwy::SetSupportedTargetsForTest(int64_t(target));
}

QString SimdTargets::current()
{
    return QString::fromLatin1(hwy::TargetName(HWY_DYNAMIC_DISPATCH(orv::ThisTarget)()));
}
#endif
