#include "processing/AbsorptionSpectrum.h"

#include "base/SharedLoop.h"
#include "io/TiffData.h"
#include "physics/XafsSpectrum.h"
#include "processing/BlockSum.h"

#include <climits>
#include <vector>

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

void AbsorptionSpectrum::spectrumAndRaw(int x, int y, Spectrum* mu, Spectrum* raw, bool shareWork) const
{
    for (Spectrum* s : {mu, raw})
        if (s) {
            s->clear();
            s->reserve(int(m_i1.size()));
        }
    // Each image's sums first, by index, then the points in series order: the
    // values do not depend on which thread summed which image.
    const int n = int(m_i1.size());
    std::vector<double> s1(std::size_t(n), 0.0);
    std::vector<double> values(mu ? std::size_t(n) : 0, 0.0);
    const auto sumImages = [&](int first, int end) {
        // The images' block rows are far apart in memory; asking for those of
        // a few images ahead keeps the memory busy while one is summed.
        constexpr int ahead = 2;
        for (int k = first; k < end + ahead; ++k) {
            if (k < end)
                prefetch(*m_i1[std::size_t(k)], x, y, mu != nullptr);
            const int i = k - ahead;
            if (i < first || !contains(*m_i1[std::size_t(i)], x, y))
                continue;
            const TiffData& image = *m_i1[std::size_t(i)];
            s1[std::size_t(i)] = BlockSum::of(image, x, y, m_xw, m_yw);
            if (mu)
                values[std::size_t(i)] =
                    value(m_i0.blockSumAt(image.energy(), x, y, m_xw, m_yw), s1[std::size_t(i)], m_fluorescence);
        }
    };
    if (shareWork)
        shareLoop(n, 32, sumImages);
    else
        sumImages(0, n);
    for (int i = 0; i < n; ++i) {
        const TiffData* image = m_i1[std::size_t(i)];
        if (!contains(*image, x, y))
            continue;
        if (raw)
            raw->add(image->energy(), s1[std::size_t(i)]);
        if (mu)
            mu->add(image->energy(), values[std::size_t(i)]);
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
