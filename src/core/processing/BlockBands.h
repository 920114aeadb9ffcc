#pragma once

#include "grid/AreaWalk.h"
#include "processing/BlockSpectra.h"

#include <QtGlobal>

class AbsorptionSpectrum;
struct ScanGrid;

// The block values of a scan-grid walk computed a band of grid rows at a
// time, so that a whole-area run holds the values of a few rows instead of
// the whole grid: compute(first, count) makes the values of block-grid rows
// [first, first + count) with one pass over the image rows those blocks need,
// in every image, images spread over threads (BlockSpectra on the band's
// rows). The values of a band are exactly those of a build over the whole
// grid. The band height for a memory budget follows from rowsForBudget().
class BlockBands
{
public:
    static constexpr qint64 defaultBudget = qint64(1) << 30;

    BlockBands() = default;
    BlockBands(const BlockBands&) = delete;
    BlockBands& operator=(const BlockBands&) = delete;

    // threads <= 0: one per processor.
    void setThreads(int threads) { m_threads = threads; }
    int threads() const;

    // Takes the series and half sizes of `source` (not copied: it must
    // outlive the bands) and walks `grid`: the block grid holds the centres
    // whose blocks reach the images or the grid's image area, or with
    // BlockReach::Centre only the centres inside the largest image.
    void setup(const AbsorptionSpectrum* source, const ScanGrid& grid,
               BlockSpectra::Values kind = BlockSpectra::Absorption, BlockReach reach = BlockReach::Block);

    const AreaWalk& walk() const { return m_walk; }
    const BlockGrid& grid() const { return m_walk.blocks; }
    int rows() const { return m_walk.blocks.rows(); }
    int columns() const { return m_walk.blocks.columns(); }
    int images() const;

    // Bytes one band of `rows` grid rows needs: its values, `perBlock` more
    // bytes per block (a run's results) and the scratch of compute() and
    // `perThread` more bytes per thread.
    qint64 bandBytes(int rows, qint64 perBlock, qint64 perThread) const;
    // The most rows (at least 1) whose band stays within `budget` bytes.
    int rowsForBudget(qint64 budget, qint64 perBlock, qint64 perThread) const;

    // Computes the values of rows [first, first + count) (clipped to the
    // grid). False, with a debug line, when the memory cannot be had. Once
    // *stop is set (stop may be null) the rest of the values is left undone.
    bool compute(int first, int count, const std::atomic<bool>* stop = nullptr);
    int first() const { return m_first; }
    int count() const { return m_count; }
    // The band's values; block b of the band is row first() + b / columns(),
    // column b % columns().
    const BlockSpectra& values() const { return m_values; }
    // Bytes the band's values hold (the largest band so far).
    qint64 valueBytes() const { return m_values.capacityBytes(); }
    // Scratch of compute() per thread.
    qint64 scratchBytesPerThread() const;
    // Bytes a run on the bands has held at its peak: the values of its
    // largest band and, per thread, the scratch of compute() and `perThread`
    // bytes of its own (a run's results come on top).
    qint64 workingBytes(qint64 perThread) const;

private:
    const AbsorptionSpectrum* m_source = nullptr;
    BlockSpectra::Values m_kind = BlockSpectra::Absorption;
    AreaWalk m_walk;
    BlockSpectra m_values;
    int m_first = 0;
    int m_count = 0;
    int m_threads = 0;
    qint64 m_peakValueBytes = 0;
};
