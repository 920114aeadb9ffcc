#pragma once

#include "analysis/AreaPipeline.h"
#include "analysis/AreaRunJob.h"

// What an LCF/MLCF run fits with and where it records, besides the common input.
struct LcfRunSetup {
    bool mlcf = false;
    // Reference coefficients kept >= 0 (non-negative least squares).
    bool nonNegative = false;
    // Every reference row, used or not, in row order (value snapshots).
    QVector<ReferenceSnapshot> references;
    // The LCF map list (N amount maps, then N fraction maps) and the two
    // quality maps, all set up with the run's grid by the caller.
    AreaFitMaps maps;
};

// The LCF/MLCF run over an area as a job: each slice fits a band of grid rows
// on the fast path (AreaPipeline: block values of the band, BlockFitter per
// block, in parallel) and records it into the maps exactly as the
// point-by-point run does (runPointByPoint() gives the same maps value for
// value).
class LcfRunJob : public AreaRunJob
{
public:
    LcfRunJob(const AreaRunInput& input, const LcfRunSetup& setup);

    // Why the rows of `setup` give nothing to fit (empty: they do): no row
    // is in use (its use box checked and a spectrum loaded), or the spectra
    // in use share no energy range.
    static QString refusal(const LcfRunSetup& setup);

    // False when the rows give no fit at all (fewer than two rows): the run
    // records nothing.
    bool hasFit() const { return m_hasFit; }
    // Bytes held beyond the images and the maps at the peak so far.
    qint64 workingBytes() const { return m_pipeline.workingBytes(); }

    // The same run point by point through AbsorptionSpectrum, XafsSpectrum and
    // the engine's fitter, on the calling thread.
    static bool runPointByPoint(const AreaRunInput& input, const LcfRunSetup& setup);

protected:
    bool analyzeRows(int first, int count, const std::atomic<bool>& stop) override;
    void recordRow(int row) override;

private:
    LcfRunSetup m_setup;
    AreaPipeline m_pipeline;
    bool m_hasFit = false;
};
