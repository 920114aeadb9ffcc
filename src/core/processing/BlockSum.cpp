#include "processing/BlockSum.h"

#include "io/DarkField.h"
#include "io/TiffData.h"

#include <cstdlib>
#include <type_traits>

namespace {

template <class T>
double sumInteger(const T* samples, qint64 width, const BlockSum::Range& cols,
                  const BlockSum::Range& rows)
{
    quint64 total = 0;
    for (qint64 r = rows.first; r <= rows.last; ++r) {
        const T* p = samples + r * width;
        quint64 rowSum = 0;
        for (qint64 c = cols.first; c <= cols.last; ++c)
            rowSum += p[c];
        total += rowSum;
    }
    return double(total);
}

} // namespace

double BlockSum::of(const TiffData& image, int x, int y, int xw, int yw)
{
    const qint64 w = image.width();
    const qint64 h = image.height();
    const Range cols = clip(x, std::llabs(qint64(xw)), image.shiftX(), w);
    const Range rows = clip(y, std::llabs(qint64(yw)), image.shiftY(), h);
    if (cols.isEmpty() || rows.isEmpty())
        return 0.0;
    double sum = 0.0;
    const bool has = image.withSamples([&](const auto* samples) {
        using T = std::decay_t<decltype(*samples)>;
        if constexpr (std::is_same_v<T, float>)
            sum = BlockSum::sumFloat(samples, w, cols, rows);
        else
            sum = sumInteger(samples, w, cols, rows);
    });
    if (has)
        sum = minusDark(image, sum, cols, rows);
    return sum;
}
