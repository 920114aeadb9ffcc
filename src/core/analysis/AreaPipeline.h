#pragma once

#include "analysis/AnalysisSnapshots.h"
#include "analysis/BlockFitter.h"
#include "grid/AreaMask.h"
#include "grid/ScanGrid.h"
#include "grid/ShiftMapView.h"
#include "processing/AbsorptionSpectrum.h"
#include "processing/BlockBands.h"

#include <QVector>
#include <atomic>
#include <vector>

class Analyzed2DRes;

// What an LCF/MLCF run over an area fits with: plain values taken when the
// run starts.
struct AreaFitSetup {
    bool mlcf = false;
    // Reference coefficients kept >= 0 (non-negative least squares).
    bool nonNegative = false;
    // Background form of every block's spectrum (the calibration window's
    // Victoreen box).
    bool victoreen = false;
    // Every reference row, used or not, in row order.
    QVector<ReferenceSnapshot> references;
    // Blocks left out of the run (off: every block is fitted).
    AreaMask mask;
};

// The maps an LCF/MLCF run records into; null entries are skipped.
struct AreaFitMaps {
    // 2N maps for N reference rows: the amounts of row i at i, its fractions
    // at i + N. Rows not in use get nothing.
    QVector<Analyzed2DRes*> rows;
    // Fit quality (sum of squared residuals / sum of squared data over the
    // points the fit uses) and the sum of the fractions: NaN where a block
    // has no fit.
    Analyzed2DRes* rFactor = nullptr;
    Analyzed2DRes* fractionSum = nullptr;
};

// The fast whole-area LCF/MLCF path. The absorption values of the grid's
// blocks are computed a band of grid rows at a time (BlockBands: one pass per
// image over the rows a band needs, images in parallel); the band height
// follows from a memory budget. Each block's spectrum is then normalised and
// fitted with the block's energy shift against the references (BlockFitter,
// the numbers of an XafsSpectrum and the engine's fit without building
// either) in parallel over blocks, and the results are written into the maps
// exactly as a point-by-point run records them: map i gets the amount and map
// i + N the fraction of reference row i (N rows, used rows only, in used-row
// order), by setData at the block centre with the grid's half sizes, in grid
// order. The maps hold, value for value, what runPointByPoint() gives,
// whatever the band height.
//
// A run can be driven band by band: analyzeRows() for a few grid rows (in a
// worker), then recordRows() (where the maps live), with progress and stopping
// in between; run() does all rows that way.
class AreaPipeline
{
public:
    AreaPipeline() = default;
    AreaPipeline(const AreaPipeline&) = delete;
    AreaPipeline& operator=(const AreaPipeline&) = delete;

    // threads <= 0: one per processor.
    void setThreads(int threads);
    int threads() const { return m_bands.threads(); }
    // Bytes the band values, results and scratch may take (default 1 GiB).
    void setBudget(qint64 bytes) { m_budget = bytes; }
    qint64 budget() const { return m_budget; }

    // Takes the series (the images must outlive the pipeline), the grid (its
    // half sizes are the block's), the fluorescence flag and the energy-shift
    // map (its values must stay unchanged while the pipeline works). The
    // block values are computed band by band later.
    void prepare(const std::vector<const TiffData*>& i1, const std::vector<const TiffData*>& i0,
                 const ScanGrid& grid, bool fluorescence, const ShiftMapView& shift);
    // Takes the fit settings (copied). False when a fit with these rows has no
    // result at all (fewer than two rows); a run then records nothing.
    bool setFit(const AreaFitSetup& setup);

    // Grid rows and columns of blocks that reach the images or the maps.
    int rows() const { return m_bands.rows(); }
    int columns() const { return m_bands.columns(); }
    qint64 blocks() const { return m_bands.grid().blocks(); }
    const BlockGrid& grid() const { return m_bands.grid(); }
    const AreaWalk& walk() const { return m_bands.walk(); }
    const AbsorptionSpectrum& source() const { return m_source; }
    // Grid rows of one band under the budget.
    int bandRows() const;
    // Block values analyzeRows() computes and fits at a time at most (fewer
    // than the budget allows: values still in the cache are fitted faster),
    // and the grid rows that makes (at least 1).
    static constexpr qint64 cacheBytes = qint64(4) << 20;
    int cacheRows() const;

    // Analyses grid rows first ... first + count - 1 (clipped), a band at a
    // time, in parallel over their blocks; the results stay until the next
    // call. False when the memory for the block values cannot be had. Once
    // *stop is set (stop may be null) the rest of the rows is left undone.
    bool analyzeRows(int first, int count, const std::atomic<bool>* stop = nullptr);
    // Writes the results of the last analyzeRows() into the maps, in grid
    // order: its rows from `from` on (count < 0: all).
    void recordRows(const AreaFitMaps& maps, int from = 0, int count = -1) const;
    void recordRows(const QVector<Analyzed2DRes*>& maps) const;
    // analyzeRows() and recordRows() over every grid row, a band at a time.
    bool run(const AreaFitMaps& maps);
    bool run(const QVector<Analyzed2DRes*>& maps);

    // The reference path: for every centre of the grid, in walk order, the
    // XafsSpectrum from AbsorptionSpectrum (block sums and I0 interpolation per
    // image), the engine's LinearCombinationFitter and the recording of a 2D
    // run. Blocks without points record nothing but NaN in the quality maps.
    // False when the fit has no result at all.
    static bool runPointByPoint(const AbsorptionSpectrum& source, const ScanGrid& grid,
                                const ShiftMapView& shift, const AreaFitSetup& setup, const AreaFitMaps& maps);
    static bool runPointByPoint(const AbsorptionSpectrum& source, const ScanGrid& grid,
                                const ShiftMapView& shift, const AreaFitSetup& setup,
                                const QVector<Analyzed2DRes*>& maps);

    // Bytes the pipeline has held beyond the images and the maps at its peak:
    // the band values, the results of a band and the scratch of its threads.
    qint64 workingBytes() const;

private:
    // Result of one block: state, then amounts, fractions, R-factor and the
    // sum of the fractions.
    enum BlockState { NoFit = 0, Fitted = 1, Masked = 2 };
    int resultStride() const { return 3 + 2 * m_plan.used(); }
    qint64 scratchPerThread() const;
    struct FitScratch;
    void fitBand(int resultRow0, const std::atomic<bool>* stop);
    // Block b of the band, alone; and tile t's blocks side by side (false,
    // with nothing written, when a block's shift is NaN).
    void fitBlock(FitScratch& s, qint64 b, int resultRow0);
    bool fitTile(FitScratch& s, qint64 t, int resultRow0);
    double* resultOf(qint64 b, int resultRow0);
    double shiftOf(qint64 b) const;

    ScanGrid m_scanGrid;
    AbsorptionSpectrum m_source;
    ShiftMapView m_shift;
    BlockBands m_bands;
    qint64 m_budget = BlockBands::defaultBudget;
    AreaFitSetup m_setup;
    BlockFitter::Plan m_plan;
    bool m_fitOk = false;
    bool m_lanesOk = false;   // tiles of whole spectra can be fitted side by side

    // Results of the last analyzeRows().
    int m_firstRow = 0;
    int m_rowCount = 0;
    std::vector<double> m_results;
};
