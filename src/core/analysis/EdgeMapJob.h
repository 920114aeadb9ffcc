#pragma once

#include "analysis/AreaRunJob.h"
#include "analysis/EdgeFeatures.h"
#include "processing/AbsorptionSpectrum.h"
#include "processing/BlockBands.h"

#include <vector>

class Analyzed2DRes;

// What an edge-map run computes with and where it records.
struct EdgeMapSetup {
    // Width W of the white-line window above E0, eV.
    double window = EdgeRules::defaultWindow;
    // E0, edge jump, white-line energy and white-line height
    // (EdgeFeatures::Map order), set up with the run's grid by the caller;
    // null entries are skipped.
    Analyzed2DRes* maps[EdgeFeatures::MapCount] = {};
};

// The edge maps of an area as a job on the banded path: every block's
// spectrum is normalised (EdgeNormalization, the numbers of an XafsSpectrum;
// LaneNormalization for tiles of whole spectra)
// and its EdgeFeatures, with the block's energy shift, are recorded in grid
// order. Masked blocks and blocks without an edge record NaN. The maps hold,
// value for value, what runPointByPoint() gives.
class EdgeMapJob : public AreaRunJob
{
public:
    EdgeMapJob(const AreaRunInput& input, const EdgeMapSetup& setup);
    qint64 workingBytes() const;

    // The same run point by point through AbsorptionSpectrum and XafsSpectrum
    // on the calling thread.
    static void runPointByPoint(const AreaRunInput& input, const EdgeMapSetup& setup);

protected:
    bool analyzeRows(int first, int count, const std::atomic<bool>& stop) override;
    void recordRow(int row) override;
    void recordFar() override;

private:
    struct Scratch;
    qint64 scratchBytes() const;
    double shiftOf(qint64 b) const;
    // The features of block b alone, or of the blocks of a full tile
    // normalised side by side (the same values).
    void analyzeBlock(Scratch& s, qint64 b);
    void analyzeTile(Scratch& s, qint64 t);

    EdgeMapSetup m_setup;
    AbsorptionSpectrum m_source;
    BlockBands m_bands;
    // Per block of the band: the four features.
    std::vector<EdgeFeatures> m_results;
};
