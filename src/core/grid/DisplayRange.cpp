#include "grid/DisplayRange.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace DisplayRange {

Range percentiles(const double* values, qint64 count, double lowShare, double highShare, qint64 maxSamples)
{
    Range r;
    if (!values || count <= 0)
        return r;
    const qint64 stride = std::max<qint64>(1, (count + maxSamples - 1) / std::max<qint64>(1, maxSamples));
    std::vector<double> finite;
    finite.reserve(std::size_t(std::min(count, maxSamples)));
    for (qint64 i = 0; i < count; i += stride)
        if (std::isfinite(values[i]))
            finite.push_back(values[i]);
    if (finite.empty())
        return r;
    const std::size_t last = finite.size() - 1;
    const auto at = [&](double share) {
        const std::size_t k = std::size_t(std::llround(std::clamp(share, 0.0, 1.0) * double(last)));
        std::nth_element(finite.begin(), finite.begin() + std::ptrdiff_t(k), finite.end());
        return finite[k];
    };
    r.lo = at(lowShare);
    r.hi = at(highShare);
    if (!(r.hi > r.lo)) {
        const auto mm = std::minmax_element(finite.begin(), finite.end());
        r.lo = *mm.first;
        r.hi = *mm.second;
    }
    r.valid = true;
    return r;
}

}
