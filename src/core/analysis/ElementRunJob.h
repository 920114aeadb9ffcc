#pragma once

#include "analysis/AnalysisSnapshots.h"
#include "analysis/AreaRunJob.h"
#include "analysis/ElementAnalysis.h"
#include "processing/AbsorptionSpectrum.h"
#include "processing/BlockBands.h"

#include <QVector>
#include <vector>

class Analyzed2DRes;

// What an element run analyses with and where it records, besides the
// common input.
struct ElementRunSetup {
    // The element rows (value snapshots), the target row of the ratios and
    // the background values.
    QVector<ElementSnapshot> rows;
    int mainT = 0;
    BackgroundValues background;
    // Per row: its Use box (takes part in the correlation) and standard ratio.
    QVector<bool> useInCorrelation;
    QVector<double> standardRatios;
    // The analyzer's correlation value when the run starts (a first block
    // whose correlation cannot be computed repeats it) and its threshold.
    double correlation = 1.0;
    double correlationThreshold = 0.999;
    // The element map list, set up with the run's grid by the caller: for
    // kind k = 0 ... 6 (dmut, dmut ratio, mu+, mu-, edge shift, ROI, NROI)
    // and row j, map j + k n (n rows); then "a2d ElemsCor" at 7n and
    // "a2d ElemsCorTh" at 7n + 1. Null entries are skipped.
    QVector<Analyzed2DRes*> maps;
};

// The element run over an area as a job: each slice computes the absorption
// values of a band of grid rows, analyses every block's points with the
// engine's element analysis in parallel over blocks, and records the band in
// grid order exactly as the point-by-point run records the engine's answers:
// the seven kinds per row, then the running correlation (the correlation of
// the block's ratios with the standard ratios; a block where it cannot be
// computed repeats the previous value) and its thresholded value.
class ElementRunJob : public AreaRunJob
{
public:
    ElementRunJob(const AreaRunInput& input, const ElementRunSetup& setup);

    // The correlation after the last recorded block (the analyzer shows it
    // when the run ends), and the results of that block (the rows show them).
    double correlation() const { return m_correlation; }
    bool hasLastResult() const { return m_hasLast; }
    const ElementResult& lastResult() const { return m_last; }
    qint64 workingBytes() const;

    // The same run point by point through AbsorptionSpectrum, XafsSpectrum
    // and analyzeElements(), on the calling thread. Returns the final
    // correlation; `last` (may be null) gets the last analysed block's results.
    static double runPointByPoint(const AreaRunInput& input, const ElementRunSetup& setup,
                                  ElementResult* last = nullptr);

protected:
    bool analyzeRows(int first, int count, const std::atomic<bool>& stop) override;
    void recordRow(int row) override;
    void recordFar() override;

private:
    int stride() const { return 3 + 8 * m_setup.rows.size(); }
    // Scratch bytes of a thread beyond the bands' own.
    qint64 scratchBytes() const;
    // Records one analysed block (results r: state, correlation flag and
    // value, then 8 values per row) at (x, y).
    void recordBlock(const double* r, int x, int y);
    void keepLast(const double* r);

    ElementRunSetup m_setup;
    AbsorptionSpectrum m_source;
    BlockBands m_bands;
    std::vector<double> m_results;
    // The result of an empty spectrum, for the far points.
    std::vector<double> m_empty;
    double m_correlation = 1.0;
    bool m_hasLast = false;
    ElementResult m_last;
};
