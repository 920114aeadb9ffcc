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

Range innerPercentiles(const double* values, int width, int height, int inset, double lowShare,
                       double highShare, qint64 maxSamples)
{
    const qint64 count = qint64(std::max(0, width)) * std::max(0, height);
    if (!values || count <= 0 || inset <= 0)
        return percentiles(values, count, lowShare, highShare, maxSamples);
    // A pixel is inside when the (2 inset + 1)^2 square around it holds only
    // finite values (the image border counts as outside): the finite mask
    // eroded along the rows, then along the columns, by running counts.
    const int span = 2 * inset + 1;
    std::vector<unsigned char> rows(std::size_t(count), 0);
    for (int y = 0; y < height; ++y) {
        const double* v = values + qint64(y) * width;
        unsigned char* out = rows.data() + qint64(y) * width;
        int run = 0;
        for (int x = 0; x < width; ++x) {
            run = std::isfinite(v[x]) ? run + 1 : 0;
            if (run >= span)
                out[x - inset] = 1;
        }
    }
    std::vector<double> inner;
    for (int x = 0; x < width; ++x) {
        int run = 0;
        for (int y = 0; y < height; ++y) {
            run = rows[std::size_t(qint64(y) * width + x)] ? run + 1 : 0;
            if (run >= span)
                inner.push_back(values[qint64(y - inset) * width + x]);
        }
    }
    if (inner.empty())
        return percentiles(values, count, lowShare, highShare, maxSamples);
    return percentiles(inner.data(), qint64(inner.size()), lowShare, highShare, maxSamples);
}

}
