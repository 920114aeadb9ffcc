#pragma once

#include "io/DarkField.h"
#include "io/TiffData.h"

#include <QtGlobal>

// Sum of the samples of one image over a pixel block, with the image's
// alignment shift applied: the block (x +- xw, y +- yw) of the shifted image
// maps onto the source columns x +- xw - shiftX and rows y +- yw - shiftY, and
// only the part of it that lies inside the source contributes. Rows are walked
// through their typed pointers, never pixel by pixel through a call.
//
// Integer samples are summed exactly (64-bit) and converted once; float samples
// are summed in double, row after row, left to right, so every caller that sums
// a float block gets the same rounding. An image with a dark set gives its sum
// minus the dark's over the same source pixels (minusDark), the same on
// every path.
class BlockSum
{
public:
    // Inclusive source range of a block along one axis, clipped to [0, size);
    // empty (first > last) when the block misses the image.
    struct Range {
        qint64 first = 0;
        qint64 last = -1;
        bool isEmpty() const { return first > last; }
    };
    static Range clip(qint64 centre, qint64 half, qint64 shift, qint64 size)
    {
        Range r;
        r.first = qMax<qint64>(0, centre - half - shift);
        r.last = qMin<qint64>(size - 1, centre + half - shift);
        return r;
    }

    // The block sum of `image` at (x, y); the signs of xw and yw are ignored.
    // 0 for an image without samples or a block outside it.
    static double of(const TiffData& image, int x, int y, int xw, int yw);

    // The block sums at n consecutive centres, each exactly what of() gives:
    // out[i] = of(image, x + i, y, xw, yw) along a row (horizontal) or
    // of(image, x, y + i, xw, yw) down a column. Integer images take the
    // sums across the block once and slide along them, so a profile costs
    // about one pass over the band it covers instead of one block per centre.
    static void along(const TiffData& image, int x, int y, bool horizontal, int n, int xw, int yw, double* out);

    // Asks the memory system for the rows of the block at (x, y) ahead of
    // summing them, so that a caller walking many images can have the next
    // images' rows arrive while it sums the current one. Changes no value.
    static void prefetch(const TiffData& image, int x, int y, int xw, int yw);

    // `sum` of the source ranges less the image's dark over them (no dark:
    // `sum` itself). Every block sum goes through here.
    static double minusDark(const TiffData& image, double sum, const Range& cols, const Range& rows)
    {
        const DarkField* dark = image.dark();
        return dark ? sum - dark->sum(cols.first, cols.last, rows.first, rows.last) : sum;
    }

    // Sum of float samples (row stride `width`) over the given source ranges,
    // row after row, left to right, in double. Both ranges must be non-empty.
    static double sumFloat(const float* samples, qint64 width, const Range& cols, const Range& rows)
    {
        double total = 0.0;
        for (qint64 r = rows.first; r <= rows.last; ++r) {
            const float* p = samples + r * width;
            for (qint64 c = cols.first; c <= cols.last; ++c)
                total += double(p[c]);
        }
        return total;
    }
};
