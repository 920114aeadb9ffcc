#pragma once

#include "output/TextMapFormat.h"

// What the save configuration dialog holds: TIFF or text, the text layout,
// and the TIFF scale and extent.
struct SaveDataSettings {
    bool saveAsTiff = true;
    bool commaSeparated = true;
    bool xyVal = true;
    bool tiffFixedScale = false;
    double tiffScaleMin = 0.0;
    double tiffScaleMax = 1.0;
    bool tiffAsAnalyzed = false;

    TextMapFormat textFormat() const { return {commaSeparated, xyVal}; }
};
