#pragma once

#include "grid/ScanGrid.h"

// Block-wise repairs of a result map: they read the values, write the
// processed layer block by block along the map's grid and return the range of
// what they wrote. Both arrays are grid.imageWidth x grid.imageHeight.
namespace MapDeglitch {

struct Range {
    double min;
    double max;
};

// Spikes: a block whose curvature exceeds factor x the mean curvature and
// whose value lies within ratio x (max - min) of either end of
// [minValue, maxValue] takes the mean of its existing four neighbours.
Range deglitch(const double* data, double* proc, const ScanGrid& grid, double minValue,
               double maxValue, double factor, double ratio);

// Outliers: a block further than limit from the typical value (mean of the
// centres within +-limit) takes the mean of its plausible eight neighbours,
// or 0 when none is plausible.
Range deglitch2(const double* data, double* proc, const ScanGrid& grid, double limit);

}
