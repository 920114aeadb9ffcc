#pragma once

#include <QtGlobal>

// The colour range a result map is shown with by default. Min/max lets a few
// outliers (blocks outside the sample, failed fits) squeeze the sample into
// one grey; the robust rule takes the 1st and 99th percentiles of the finite
// values instead (masked blocks are NaN and drop out by themselves).
namespace DisplayRange {

enum Rule { Robust = 0, MinMax = 1 };

struct Range {
    double lo = 0.0;
    double hi = 0.0;
    bool valid = false;
};

// Percentiles lowShare and highShare (0 ... 1) of the finite values among
// values[0 .. count-1]; at most maxSamples values are looked at, evenly
// spread. Invalid when there is no finite value; a flat result widens to the
// finite min/max (still flat when every value is the same).
Range percentiles(const double* values, qint64 count, double lowShare = 0.01, double highShare = 0.99,
                  qint64 maxSamples = qint64(1) << 18);

// The same over the finite values of a width x height map (row-major) that
// lie at least `inset` pixels inside its finite region: every value within
// `inset` pixels along x and y (a square) is finite too. The blocks along the
// rim of a masked sample, half sample and half background, then cannot
// squeeze the colour range of the inside. With no such value, the
// percentiles of every finite value.
Range innerPercentiles(const double* values, int width, int height, int inset, double lowShare = 0.01,
                       double highShare = 0.99, qint64 maxSamples = qint64(1) << 18);

}
