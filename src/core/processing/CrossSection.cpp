#include "processing/CrossSection.h"

#include "display/DisplayLayer.h"
#include "io/TiffData.h"
#include "processing/AbsorptionSpectrum.h"
#include "processing/BlockSum.h"
#include "processing/I0Series.h"

namespace {

double profileValue(const TiffData& image, const I0Series* i0, int x, int y, int xw, int yw)
{
    const double s1 = BlockSum::of(image, x, y, xw, yw);
    if (!i0)
        return s1;
    const double s0 = i0->blockSumAt(image.energy(), x, y, xw, yw);
    return AbsorptionSpectrum::value(s0, s1, false);
}

} // namespace

namespace CrossSection {

Spectrum horizontal(const TiffData& image, const I0Series* i0, int width, int y, int yw)
{
    Spectrum s;
    s.reserve(qMax(0, width));
    for (int i = 0; i < width; ++i)
        s.add(i, profileValue(image, i0, i, y, 1, yw));
    return s;
}

Spectrum vertical(const TiffData& image, const I0Series* i0, int height, int x, int xw)
{
    Spectrum s;
    s.reserve(qMax(0, height));
    for (int j = 0; j < height; ++j)
        s.add(j, profileValue(image, i0, x, j, xw, 1));
    return s;
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
