#include "processing/AbsorptionSpectrum.h"

#include "io/TiffData.h"
#include "physics/XafsSpectrum.h"
#include "processing/BlockSum.h"

#include <climits>

namespace {

int magnitude(int v)
{
    return v == INT_MIN ? INT_MAX : (v < 0 ? -v : v);
}

} // namespace

AbsorptionSpectrum::AbsorptionSpectrum(const std::vector<const TiffData*>& i1,
                                       const std::vector<const TiffData*>& i0, int xw, int yw,
                                       bool fluorescence)
    : m_i0(i0), m_xw(magnitude(xw)), m_yw(magnitude(yw)), m_fluorescence(fluorescence)
{
    m_i1.reserve(i1.size());
    for (const TiffData* t : i1)
        if (t)
            m_i1.push_back(t);
}

bool AbsorptionSpectrum::contains(const TiffData& image, int x, int y)
{
    return x >= 0 && y >= 0 && quint32(x) < image.width() && quint32(y) < image.height();
}

void AbsorptionSpectrum::spectrum(int x, int y, Spectrum* out) const
{
    spectrumAndRaw(x, y, out, nullptr);
}

void AbsorptionSpectrum::spectrumAndRaw(int x, int y, Spectrum* mu, Spectrum* raw) const
{
    for (Spectrum* s : {mu, raw})
        if (s) {
            s->clear();
            s->reserve(int(m_i1.size()));
        }
    // The images' block rows are far apart in memory; asking for those of a
    // few images ahead keeps the memory busy while the current one is summed.
    constexpr std::size_t ahead = 2;
    for (std::size_t k = 0; k < m_i1.size() + ahead; ++k) {
        if (k < m_i1.size())
            prefetch(*m_i1[k], x, y, mu != nullptr);
        if (k < ahead)
            continue;
        const TiffData* image = m_i1[k - ahead];
        if (!contains(*image, x, y))
            continue;
        const double e = image->energy();
        const double s1 = BlockSum::of(*image, x, y, m_xw, m_yw);
        if (raw)
            raw->add(e, s1);
        if (mu)
            mu->add(e, value(m_i0.blockSumAt(e, x, y, m_xw, m_yw), s1, m_fluorescence));
    }
}

void AbsorptionSpectrum::prefetch(const TiffData& image, int x, int y, bool withI0) const
{
    if (!contains(image, x, y))
        return;
    BlockSum::prefetch(image, x, y, m_xw, m_yw);
    if (withI0)
        m_i0.prefetch(image.energy(), x, y, m_xw, m_yw);
}

Spectrum AbsorptionSpectrum::spectrum(int x, int y) const
{
    Spectrum s;
    spectrum(x, y, &s);
    return s;
}

void AbsorptionSpectrum::raw(int x, int y, Spectrum* out) const
{
    spectrumAndRaw(x, y, nullptr, out);
}

Spectrum AbsorptionSpectrum::raw(int x, int y) const
{
    Spectrum s;
    raw(x, y, &s);
    return s;
}

XafsSpectrum AbsorptionSpectrum::xafs(int x, int y, bool victoreen, double dE) const
{
    return XafsSpectrum(spectrum(x, y), victoreen, dE);
}
