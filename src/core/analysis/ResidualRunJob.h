#pragma once

#include "analysis/AreaRunJob.h"
#include "processing/AbsorptionSpectrum.h"
#include "processing/BlockBands.h"

#include <vector>

class Analyzed2DRes;

// What a residual-absorption run computes with and where it records.
struct ResidualRunSetup {
    // The analyzer's RAAtEV and RAFactor.
    double energy = 0.0;
    double factor = 0.0;
    // "a2d DMut" and "a2d Rest", set up with the run's grid by the caller.
    Analyzed2DRes* dmut = nullptr;
    Analyzed2DRes* rest = nullptr;
};

// The residual-absorption run over an area as a job: for every block, from
// its normalised spectrum, E = energy - o (o: the spectrum's offset), post and
// pre = the post-edge and pre-edge lines at E, dmut = post - pre into
// "a2d DMut" and pre - factor x dmut into "a2d Rest", in grid order, with the
// debug line of the new line's y at every new line. The values are those of
// the point-by-point run. The ratio map follows with computeRatio() once the
// run is complete.
class ResidualRunJob : public AreaRunJob
{
public:
    ResidualRunJob(const AreaRunInput& input, const ResidualRunSetup& setup);
    qint64 workingBytes() const;

    // "a2d Rati" from the other two maps: a = the smallest value of the whole
    // rest map (NaN values, which only a masked run writes, left out); every
    // pixel gets (d - a) / (c + (d - a)) with d its rest value and c its dmut
    // value (0 outside that map), by setData with half sizes 0.
    static void computeRatio(const Analyzed2DRes& dmut, const Analyzed2DRes& rest, Analyzed2DRes* ratio);

    // The same run point by point through AbsorptionSpectrum and XafsSpectrum
    // on the calling thread.
    static void runPointByPoint(const AreaRunInput& input, const ResidualRunSetup& setup);

protected:
    bool analyzeRows(int first, int count, const std::atomic<bool>& stop) override;
    void recordRow(int row) override;
    void recordFar() override;
    void walkLine(qint64 y) override;

private:
    void record(int x, int y, double dmut, double rest);
    // Scratch bytes of a thread beyond the bands' own.
    qint64 scratchBytes() const;

    ResidualRunSetup m_setup;
    AbsorptionSpectrum m_source;
    BlockBands m_bands;
    // Per block of the band: dmut and rest (NaN for a masked block).
    std::vector<double> m_results;
    double m_emptyDmut = 0.0;
    double m_emptyRest = 0.0;
};
