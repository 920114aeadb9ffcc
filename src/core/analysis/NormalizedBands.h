#pragma once

#include "analysis/AreaRunInput.h"
#include "processing/AbsorptionSpectrum.h"
#include "processing/BlockBands.h"

#include <atomic>
#include <vector>

// The normalised spectra of the blocks of an area on one energy grid (the I1
// energies in increasing order), a band of block-grid rows at a time: the
// block values of the band (BlockBands), then every block through a
// NormalizedSampler with its energy shift, in parallel over blocks. A block
// takes part when the sampler accepts it (enough points, an edge jump at or
// above the mask threshold, finite values) and, once any image of the two
// series has an alignment shift, when its block stays inside every image
// with that image's shift: the rim the alignment leaves empty would give
// spectra of nothing. The band height follows from the
// input's memory budget, with `perBlock` more bytes per block for the user's
// own results.
class NormalizedBands
{
public:
    NormalizedBands(const AreaRunInput& input, qint64 perBlock);
    NormalizedBands(const NormalizedBands&) = delete;
    NormalizedBands& operator=(const NormalizedBands&) = delete;

    // The I1 energies of the series, increasing.
    static std::vector<double> energiesOf(const std::vector<const TiffData*>& i1);

    const std::vector<double>& energies() const { return m_energies; }
    int size() const { return int(m_energies.size()); }
    const BlockGrid& grid() const { return m_bands.grid(); }
    qint64 blocks() const { return m_bands.grid().blocks(); }
    int bandCount() const { return m_bandCount; }
    int rowsPerBand() const { return m_rowsPerBand; }
    int threads() const { return m_bands.threads(); }

    // Grid index of the first block of band `band` and its number of blocks.
    qint64 firstBlockOf(int band) const { return qint64(band) * m_rowsPerBand * m_bands.columns(); }
    qint64 blocksOf(int band) const;
    // Samples band `band`; false when its values do not fit in memory.
    bool compute(int band, const std::atomic<bool>* stop);
    // The blocks of the last band: grid index of its first block, count,
    // and per block its size() values and whether it takes part.
    qint64 firstBlock() const { return m_firstBlock; }
    qint64 bandBlocks() const { return qint64(m_use.size()); }
    qint64 budget() const { return m_input.budgetBytes; }
    const double* values() const { return m_values.data(); }
    const double* values(qint64 b) const { return m_values.data() + b * size(); }
    const char* use() const { return m_use.data(); }

    // Peak bytes beyond the images: band values, samples, scratch.
    qint64 workingBytes() const;

private:
    qint64 scratchPerThread() const;
    // Centres whose blocks every shifted image covers (inclusive).
    void findCovered();

    AreaRunInput m_input;
    AbsorptionSpectrum m_source;
    BlockBands m_bands;
    std::vector<double> m_energies;
    int m_xLo = 0, m_xHi = 0, m_yLo = 0, m_yHi = 0;
    int m_rowsPerBand = 1;
    int m_bandCount = 0;
    qint64 m_firstBlock = 0;
    std::vector<double> m_values;
    std::vector<char> m_use;
};
