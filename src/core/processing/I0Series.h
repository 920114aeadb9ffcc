#pragma once

#include <cmath>
#include <vector>

class TiffData;

// The incident-beam (I0) series seen in ascending energy: a stable sort of the
// images by energy, so that a series that arrives unsorted still brackets every
// energy by its true neighbours. Gives the I0 block sum at any energy from the
// two images that bracket it (or extrapolates from the two lowest or highest).
class I0Series
{
public:
    // Which sorted images the I0 value at an energy comes from. count 0: no
    // image (the value is 1); count 1: image a alone; count 2: the straight line
    // through images a and b.
    struct Bracket {
        int count = 0;
        int a = 0;
        int b = 0;
    };

    I0Series() = default;
    // Null entries are left out; the images are not owned.
    explicit I0Series(const std::vector<const TiffData*>& images);

    int count() const { return int(m_images.size()); }
    bool isEmpty() const { return m_images.empty(); }
    // Image and energy of position i in ascending energy.
    const TiffData* image(int i) const { return m_images[std::size_t(i)]; }
    double energy(int i) const { return m_energies[std::size_t(i)]; }
    // Whether the series already arrived in ascending energy.
    bool wasSorted() const { return m_wasSorted; }

    // The bracketing images of energy e: below the lowest energy the two
    // lowest, at or above the highest the two highest, otherwise (by
    // bisection) the first image above e and the one before it.
    Bracket bracket(double e) const;
    // The I0 value at energy e from the block sums sa and sb of the bracket's
    // images (sb unused unless count is 2).
    double valueAt(const Bracket& br, double e, double sa, double sb) const
    {
        if (br.count == 0)
            return 1.0;
        if (br.count == 1)
            return sa;
        return line(energy(br.a), sa, energy(br.b), sb, e);
    }
    // Whether valueAt() needs the sum of the bracket's image b: not when e is
    // the energy of image a, the energies differ enough for a finite slope and
    // both images hold integer samples (finite sums), since the line then
    // gives slope * 0 + sa = sa to the bit. Scans usually take I1 and I0 at
    // the same energies, and this saves a third of the block sums.
    bool needsSecond(const Bracket& br, double e) const;
    // The I0 block sum at energy e over the block (x +- xw, y +- yw); only the
    // bracketing images are summed.
    double blockSumAt(double e, int x, int y, int xw, int yw) const;
    // blockSumAt(e, x + i, y, xw, yw) (horizontal) or blockSumAt(e, x, y + i,
    // xw, yw) for i in 0 .. n - 1 into out, value for value, the bracket found
    // once and each image's sums taken along the line (BlockSum::along).
    void blockSumsAlong(double e, int x, int y, bool horizontal, int n, int xw, int yw, double* out) const;
    // Starts fetching the rows that blockSumAt() with the same arguments reads.
    void prefetch(double e, int x, int y, int xw, int yw) const;

    // The straight line through (a, sa) and (b, sb) at e; the mean of sa and sb
    // when a equals b or either energy is not a number.
    static double line(double a, double sa, double b, double sb, double e)
    {
        if (a == b || std::isnan(a) || std::isnan(b))
            return (sa + sb) / 2.0;
        return (sb - sa) / (b - a) * (e - a) + sa;
    }

private:
    std::vector<const TiffData*> m_images;
    std::vector<double> m_energies;
    bool m_wasSorted = true;
};
