#include "processing/CrossSection.h"

#include "display/DisplayLayer.h"
#include "io/TiffData.h"
#include "processing/AbsorptionSpectrum.h"
#include "processing/BlockSum.h"
#include "processing/I0Series.h"

#include <vector>

namespace {

// The profile of n blocks from (x, y) on along one axis: the block sums
// themselves, or ln(S0 / S1) with the I0 sums at the image's energy.
Spectrum profile(const TiffData& image, const I0Series* i0, int x, int y, bool horizontal, int n, int xw, int yw)
{
    Spectrum s;
    if (n <= 0)
        return s;
    std::vector<double> s1(static_cast<std::size_t>(n));
    std::vector<double> s0;
    BlockSum::along(image, x, y, horizontal, n, xw, yw, s1.data());
    if (i0) {
        s0.resize(std::size_t(n));
        i0->blockSumsAlong(image.energy(), x, y, horizontal, n, xw, yw, s0.data());
    }
    s.reserve(n);
    for (int i = 0; i < n; ++i)
        s.add(i, i0 ? AbsorptionSpectrum::value(s0[std::size_t(i)], s1[std::size_t(i)], false) : s1[std::size_t(i)]);
    return s;
}

} // namespace

namespace CrossSection {

Spectrum horizontal(const TiffData& image, const I0Series* i0, int width, int y, int yw)
{
    return profile(image, i0, 0, y, true, width, 1, yw);
}

Spectrum vertical(const TiffData& image, const I0Series* i0, int height, int x, int xw)
{
    return profile(image, i0, x, 0, false, height, xw, 1);
}

Spectrum layerRow(const DisplayLayer& layer, int y)
{
    Spectrum s;
    s.reserve(qMax(0, layer.layerWidth()));
    for (int i = 0; i < layer.layerWidth(); ++i)
        s.add(i, layer.layerValue(i, y));
    return s;
}

Spectrum layerColumn(const DisplayLayer& layer, int x)
{
    Spectrum s;
    s.reserve(qMax(0, layer.layerHeight()));
    for (int j = 0; j < layer.layerHeight(); ++j)
        s.add(j, layer.layerValue(x, j));
    return s;
}

} // namespace CrossSection

QString groupedValueText(double v)
{
    const QString text = QString::number(v, 'g', 6);
    int end = text.indexOf(QLatin1Char('.'));
    if (end < 0)
        end = text.indexOf(QLatin1Char('e'));
    if (end < 0)
        end = text.size();
    int begin = 0;
    while (begin < end && !text.at(begin).isDigit())
        ++begin;
    QString out = text;
    for (int pos = end - 3; pos > begin; pos -= 3)
        out.insert(pos, QLatin1Char(','));
    return out;
}
