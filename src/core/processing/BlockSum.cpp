#include "processing/BlockSum.h"

#include "io/DarkField.h"
#include "io/TiffData.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <type_traits>
#include <vector>

namespace {

// Sum of n integer samples. Four accumulators keep the adds independent, so
// the processor has many rows of a block in flight at once (a block's rows
// lie on different pages and each one is a fresh memory access). 16-bit
// samples are added in 32 bits, in stretches short enough that no
// accumulator can overflow; the total is exact either way.
template <class T>
quint64 rowSum(const T* p, qint64 n)
{
    using Acc = std::conditional_t<sizeof(T) <= 2, quint32, quint64>;
    // Each accumulator takes at most stretch / 4 samples below 2^16.
    constexpr qint64 stretch = sizeof(T) <= 2 ? qint64(1) << 16 : std::numeric_limits<qint64>::max();
    quint64 total = 0;
    for (qint64 start = 0; start < n; start += qMin(stretch, n - start)) {
        const qint64 end = start + qMin(stretch, n - start);
        Acc a0 = 0, a1 = 0, a2 = 0, a3 = 0;
        qint64 c = start;
        for (; c + 4 <= end; c += 4) {
            a0 += p[c];
            a1 += p[c + 1];
            a2 += p[c + 2];
            a3 += p[c + 3];
        }
        for (; c < end; ++c)
            a0 += p[c];
        total += quint64(a0) + quint64(a1) + quint64(a2) + quint64(a3);
    }
    return total;
}

template <class T>
double sumInteger(const T* samples, qint64 width, const BlockSum::Range& cols,
                  const BlockSum::Range& rows)
{
    const qint64 n = cols.last - cols.first + 1;
    quint64 total = 0;
    for (qint64 r = rows.first; r <= rows.last; ++r)
        total += rowSum(samples + r * width + cols.first, n);
    return double(total);
}

} // namespace

namespace {

// Integer block sums at n centres along one axis. `across` is the block's
// source range across the walk (rows for a horizontal walk); the sums across
// it are kept as running totals `prefix` over the walk's axis, so each block
// is the difference of two of them (exact in 64 bits).
template <class T>
void alongInteger(const TiffData& image, const T* samples, qint64 x, qint64 y, bool horizontal, int n,
                  qint64 xw, qint64 yw, double* out)
{
    const qint64 w = image.width();
    const qint64 h = image.height();
    const BlockSum::Range across = horizontal ? BlockSum::clip(y, yw, image.shiftY(), h)
                                              : BlockSum::clip(x, xw, image.shiftX(), w);
    if (across.isEmpty()) {
        std::fill(out, out + n, 0.0);
        return;
    }
    const qint64 length = horizontal ? w : h;
    std::vector<quint64> prefix(std::size_t(length) + 1, 0);
    if (horizontal) {
        // Column totals, row after row (the rows are contiguous).
        for (qint64 r = across.first; r <= across.last; ++r) {
            const T* p = samples + r * w;
            for (qint64 c = 0; c < w; ++c)
                prefix[std::size_t(c) + 1] += p[c];
        }
    } else {
        const qint64 span = across.last - across.first + 1;
        for (qint64 r = 0; r < h; ++r)
            prefix[std::size_t(r) + 1] = rowSum(samples + r * w + across.first, span);
    }
    for (qint64 k = 1; k <= length; ++k)
        prefix[std::size_t(k)] += prefix[std::size_t(k) - 1];
    for (int i = 0; i < n; ++i) {
        const BlockSum::Range along = horizontal ? BlockSum::clip(x + i, xw, image.shiftX(), w)
                                                 : BlockSum::clip(y + i, yw, image.shiftY(), h);
        if (along.isEmpty()) {
            out[i] = 0.0;
            continue;
        }
        const double sum = double(prefix[std::size_t(along.last) + 1] - prefix[std::size_t(along.first)]);
        out[i] = horizontal ? BlockSum::minusDark(image, sum, along, across)
                            : BlockSum::minusDark(image, sum, across, along);
    }
}

} // namespace

void BlockSum::along(const TiffData& image, int x, int y, bool horizontal, int n, int xw, int yw, double* out)
{
    if (n <= 0)
        return;
    const qint64 hx = std::llabs(qint64(xw));
    const qint64 hy = std::llabs(qint64(yw));
    bool done = false;
    image.withSamples([&](const auto* samples) {
        using T = std::decay_t<decltype(*samples)>;
        if constexpr (!std::is_same_v<T, float>) {
            alongInteger(image, samples, x, y, horizontal, n, hx, hy, out);
            done = true;
        }
    });
    if (done)
        return;
    // Float sums keep their one order of addition: block by block.
    for (int i = 0; i < n; ++i)
        out[i] = horizontal ? of(image, int(qint64(x) + i), y, xw, yw) : of(image, x, int(qint64(y) + i), xw, yw);
}

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

void BlockSum::prefetch(const TiffData& image, int x, int y, int xw, int yw)
{
    const qint64 w = image.width();
    const Range cols = clip(x, std::llabs(qint64(xw)), image.shiftX(), w);
    const Range rows = clip(y, std::llabs(qint64(yw)), image.shiftY(), image.height());
    if (cols.isEmpty() || rows.isEmpty())
        return;
    image.withSamples([&](const auto* samples) {
        constexpr qint64 line = 64;
        constexpr qint64 linesPerRow = 4;   // wider rows: the hardware follows on
        const qint64 size = qint64(sizeof(*samples));
        for (qint64 r = rows.first; r <= rows.last; ++r) {
            const char* first = reinterpret_cast<const char*>(samples + r * w + cols.first);
            const char* last = reinterpret_cast<const char*>(samples + r * w + cols.last) + size - 1;
            for (qint64 k = 0; k < linesPerRow && first + k * line <= last; ++k)
                __builtin_prefetch(first + k * line);
            __builtin_prefetch(last);
        }
    });
}
