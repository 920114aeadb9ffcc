#pragma once

#include "base/NaturalLog.h"
#include "processing/I0Series.h"

#include <vector>

class Spectrum;
class TiffData;
class XafsSpectrum;

// The absorption spectrum mu(E) of a pixel block from the two image series:
// for every I1 image that contains the pixel, the I1 block sum S1 and the I0
// block sum S0 interpolated at the image's energy give ln(S0 / S1) in
// transmission or S1 / S0 in fluorescence. Holds the inputs as plain values
// (the images are not owned and must outlive it).
class AbsorptionSpectrum
{
public:
    AbsorptionSpectrum() = default;
    // The half sizes are taken without their signs; null images are left out.
    AbsorptionSpectrum(const std::vector<const TiffData*>& i1, const std::vector<const TiffData*>& i0,
                       int xw, int yw, bool fluorescence);

    // The value of one energy from the two sums: S1 / S0 in fluorescence
    // (a zero S0 gives an infinite or NaN value), ln(S0 / S1) in transmission
    // when S1 * S0 > 0 and 1 otherwise. The logarithm is the program's one
    // (NaturalLog), which the whole-area runs take on whole rows of sums.
    static double value(double s0, double s1, bool fluorescence)
    {
        if (fluorescence)
            return s1 / s0;
        return s1 * s0 > 0.0 ? NaturalLog::of(s0 / s1) : 1.0;
    }

    // The absorption spectrum of pixel (x, y): one point (energy, value) per I1
    // image, in series order, for every image with 0 <= x < width and
    // 0 <= y < height. `out` is cleared first.
    void spectrum(int x, int y, Spectrum* out) const;
    Spectrum spectrum(int x, int y) const;
    // The same with the I1 block sum itself as the value (no I0).
    void raw(int x, int y, Spectrum* out) const;
    Spectrum raw(int x, int y) const;
    // Both in one pass over the images, each I1 block summed once; either
    // output may be null. With shareWork a helper thread sums part of the
    // images (for one spectrum wanted at once; the values are the same).
    void spectrumAndRaw(int x, int y, Spectrum* mu, Spectrum* raw, bool shareWork = false) const;
    // The spectrum of (x, y) as an XafsSpectrum with the given background form
    // and energy shift, normalised when it has points.
    XafsSpectrum xafs(int x, int y, bool victoreen, double dE) const;

    const std::vector<const TiffData*>& i1() const { return m_i1; }
    const I0Series& i0() const { return m_i0; }
    int halfWidth() const { return m_xw; }
    int halfHeight() const { return m_yw; }
    bool fluorescence() const { return m_fluorescence; }

    // Whether (x, y) lies inside the image.
    static bool contains(const TiffData& image, int x, int y);

private:
    // Starts fetching the block rows of `image` (and of its I0 images) at (x, y).
    void prefetch(const TiffData& image, int x, int y, bool withI0) const;

    std::vector<const TiffData*> m_i1;
    I0Series m_i0;
    int m_xw = 0;
    int m_yw = 0;
    bool m_fluorescence = false;
};
