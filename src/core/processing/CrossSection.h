#pragma once

#include "physics/Spectrum.h"

class DisplayLayer;
class I0Series;
class TiffData;

// The cross-section profiles under the mouse: one value per image column
// (horizontal) or row (vertical) of a narrow block of the shown image. For an
// I1 image (i0 given) the value is ln(S0 / S1), S1 the block sum of the image
// and S0 the I0 block sum at its energy (1 when S1 * S0 <= 0); for an I0 image
// (i0 null) it is the block sum itself.
namespace CrossSection {
// Columns 0 .. width - 1 at row y, block half sizes (1, yw); x is the column.
Spectrum horizontal(const TiffData& image, const I0Series* i0, int width, int y, int yw);
// Rows 0 .. height - 1 at column x, block half sizes (xw, 1); x is the row.
Spectrum vertical(const TiffData& image, const I0Series* i0, int height, int x, int xw);
// The values a result layer shows along row y (x is the column) or down
// column x (x is the row); NaN where the layer has none.
Spectrum layerRow(const DisplayLayer& layer, int y);
Spectrum layerColumn(const DisplayLayer& layer, int x);
}

// The value read-out: up to 6 significant digits, the shorter of fixed and
// exponent notation, with a comma every three digits left of the decimal
// point (of the mantissa in exponent form), so 123456 reads "123,456" and
// 1234567 reads "1.23457e+06".
QString groupedValueText(double v);
