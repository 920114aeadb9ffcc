#pragma once

#include "grid/ScanGrid.h"

class Analyzed2DRes;

// Read access to an energy-shift map: width x height values in eV, row-major,
// 0 outside the map or when there is none. The values are not owned.
struct ShiftMapView {
    const double* data = nullptr;
    int width = 0;
    int height = 0;

    double at(int x, int y) const { return mapValueAt(data, width, height, x, y); }

    // The values of a result map (none when it has no arrays).
    static ShiftMapView of(const Analyzed2DRes* map);
};
