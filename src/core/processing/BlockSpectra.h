#pragma once

#include "base/LargeBuffer.h"
#include "grid/BlockGrid.h"

#include <QtGlobal>
#include <memory>
#include <vector>

class AbsorptionSpectrum;
class Spectrum;

// The absorption value of every grid block at every I1 energy, computed image
// by image: one pass over each I1 image and its two bracketing I0 images gives
// the block sums of all blocks of the grid (running sums along rows, then along
// the grid's columns), which become the values at once, a whole row of blocks
// at a time (AbsorptionRows); a few rows of one image make a work item, so
// threads share the rows of an image as well as the images. Storage is 8 bytes per block per image and nothing else that grows
// with the stack: values are kept in tiles of `lanes` blocks, so one image
// writes whole cache lines and the spectrum of a block reads `lanes` spectra's
// worth of lines at a time.
class BlockSpectra
{
public:
    static constexpr int lanes = 8;

    // What a value is: the absorption from the I1 and I0 sums, or the I1
    // block sum itself (the raw spectrum).
    enum Values { Absorption, RawSums };

    BlockSpectra();
    ~BlockSpectra();
    BlockSpectra(const BlockSpectra&) = delete;
    BlockSpectra& operator=(const BlockSpectra&) = delete;

    // Computes the values for the centres of `grid` with the series, the
    // fluorescence flag and the half sizes of `source` (the grid's half sizes
    // are replaced by them); centres may lie outside the images (their blocks
    // sum what lies inside). threads <= 0: one per processor. False, with a
    // debug line, when the values do not fit in memory; the store is then empty.
    // The memory of the last build is reused when it is large enough.
    bool build(const AbsorptionSpectrum& source, const BlockGrid& grid, int threads, Values values = Absorption);
    // Forgets the values (keeping their memory for the next build) / frees it.
    void clear();
    void release();

    const BlockGrid& grid() const { return m_grid; }
    qint64 blocks() const { return m_grid.blocks(); }
    int images() const { return int(m_energies.size()); }
    // Bytes the values of the last build take, and bytes held.
    qint64 bytes() const { return m_size * qint64(sizeof(double)); }
    qint64 capacityBytes() const { return m_capacity * qint64(sizeof(double)); }

    // The value of block b (grid order) at I1 image k (series order).
    double value(qint64 b, int k) const
    {
        return m_values[((b / lanes) * qint64(m_energies.size()) + k) * lanes + b % lanes];
    }
    // Whether image k contains the centre of block b, i.e. gives it a point.
    bool contains(qint64 b, int k) const
    {
        const qint64 cols = m_grid.columns();
        const int x = m_grid.xs[std::size_t(b % cols)];
        const int y = m_grid.ys[std::size_t(b / cols)];
        return x >= 0 && y >= 0 && x < m_widths[std::size_t(k)] && y < m_heights[std::size_t(k)];
    }
    // The spectrum of block b: (energy, value) of every image that contains
    // its centre, in series order; `out` is cleared first.
    void spectrum(qint64 b, Spectrum* out) const;
    // The same points into two arrays of at least images() values; returns
    // their number.
    int points(qint64 b, double* energies, double* values) const;
    // The values of the images that contain the centre, in series order
    // (points() without the energies); returns their number.
    int values(qint64 b, double* values) const;

private:
    BlockGrid m_grid;
    std::vector<double> m_energies;
    std::vector<qint64> m_widths;
    std::vector<qint64> m_heights;
    LargeBuffer::Ptr<double> m_values;
    qint64 m_size = 0;
    qint64 m_capacity = 0;
};
