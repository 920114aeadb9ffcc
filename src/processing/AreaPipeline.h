#pragma once

#include "analysis/AnalysisSnapshots.h"
#include "analysis/ScanGrid.h"
#include "processing/AbsorptionSpectrum.h"
#include "processing/BlockFitter.h"
#include "processing/BlockSpectra.h"
#include "processing/ShiftMapView.h"

#include <QVector>
#include <vector>

class Analyzed2DRes;

// What an LCF/MLCF run over an area fits with: plain values taken when the
// run starts.
struct AreaFitSetup {
    bool mlcf = false;
    // Background form of every block's spectrum (the calibration window's
    // Victoreen box).
    bool victoreen = false;
    // Every reference row, used or not, in row order.
    QVector<ReferenceSnapshot> references;
};

// The fast whole-area LCF/MLCF path. prepare() computes the absorption values
// of every grid block at every I1 energy in one pass per image, in parallel
// over images (BlockSpectra). Then, grid row by grid row, each block's spectrum
// is normalised and fitted with the block's energy shift against the
// references (BlockFitter, the numbers of an XafsSpectrum and the engine's
// fit without building either) in parallel over blocks, and the amounts and
// fractions are written into the maps exactly as a point-by-point run records
// them: map i gets the amount and map i + N the fraction of reference row i
// (N rows, used rows only, in used-row order), by setData at the block centre
// with the grid's half sizes, in grid order. The maps hold, value for value,
// what runPointByPoint() gives.
//
// A run can be driven line by line: analyzeRows() for a few grid rows (in a
// worker), then recordRows() (where the maps live), with progress and stopping
// in between; run() does all rows that way.
class AreaPipeline
{
public:
    // Grid rows analysed together by run().
    static constexpr int rowsPerBatch = 16;

    AreaPipeline() = default;
    AreaPipeline(const AreaPipeline&) = delete;
    AreaPipeline& operator=(const AreaPipeline&) = delete;

    // threads <= 0: one per processor.
    void setThreads(int threads) { m_threads = threads; }
    int threads() const;

    // Takes the series (the images must outlive the pipeline), the grid (its
    // half sizes are the block's), the fluorescence flag and the energy-shift
    // map, and computes the block values. False when they do not fit in memory.
    bool prepare(const std::vector<const TiffData*>& i1, const std::vector<const TiffData*>& i0,
                 const ScanGrid& grid, bool fluorescence, const ShiftMapView& shift);
    // Takes the fit settings (copied). False when a fit with these rows has no
    // result at all (fewer than two rows); a run then records nothing.
    bool setFit(const AreaFitSetup& setup);

    // Grid rows with at least one block centre inside the images.
    int rows() const { return m_spectra.grid().rows(); }
    int columns() const { return m_spectra.grid().columns(); }
    const BlockGrid& grid() const { return m_spectra.grid(); }
    const BlockSpectra& spectra() const { return m_spectra; }
    const AbsorptionSpectrum& source() const { return m_source; }

    // Analyses grid rows first ... first + count - 1 (clipped) in parallel
    // over their blocks; the results stay until the next call.
    void analyzeRows(int first, int count);
    // Writes the results of the last analyzeRows() into the maps (2N entries
    // as described above; null entries are skipped), in grid order.
    void recordRows(const QVector<Analyzed2DRes*>& maps) const;
    // analyzeRows() and recordRows() over every grid row.
    void run(const QVector<Analyzed2DRes*>& maps);

    // The spectrum of grid block b as a point-by-point run builds it.
    void blockSpectrum(qint64 b, XafsSpectrum* out) const;

    // The reference path: for every centre of the grid, in walk order, the
    // XafsSpectrum from AbsorptionSpectrum (block sums and I0 interpolation per
    // image), the engine's LinearCombinationFitter and the recording of a 2D
    // run. Blocks without points record nothing. False when the fit has no
    // result at all.
    static bool runPointByPoint(const AbsorptionSpectrum& source, const ScanGrid& grid,
                                const ShiftMapView& shift, const AreaFitSetup& setup,
                                const QVector<Analyzed2DRes*>& maps);

    // Bytes the pipeline holds beyond the images and the maps at its peak: the
    // block values plus the larger of the scratch of prepare() and of a batch
    // of analyzeRows() (results and per-thread buffers).
    qint64 workingBytes() const;

private:
    ScanGrid m_scanGrid;
    AbsorptionSpectrum m_source;
    ShiftMapView m_shift;
    BlockSpectra m_spectra;
    AreaFitSetup m_setup;
    BlockFitter::Plan m_plan;
    bool m_fitOk = false;
    int m_threads = 0;

    // Results of the last analyzeRows(): per block, a flag and then the
    // amounts and fractions of the used rows.
    int m_firstRow = 0;
    int m_rowCount = 0;
    std::vector<double> m_results;
    int resultStride() const { return 1 + 2 * m_plan.used(); }
};
