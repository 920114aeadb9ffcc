#pragma once

#include "analysis/AnalysisSnapshots.h"
#include "physics/XafsSpectrum.h"

#include <QVector>

// The results of one element analysis, one entry per element row in row order.
struct ElementResult {
    QVector<double> rawDmut;   // the computed edge step, also where it is below the threshold
    QVector<double> dmut;      // edge step, or the dmut background value
    QVector<double> dmutRatio; // dmut divided by the target row's dmut
    QVector<double> muPlus;    // mu at E0 + dE, or the dmut background value
    QVector<double> muMinus;   // mu at E0 - dE, or the dmut background value
    QVector<double> edgeShift; // edge position minus E0 (eV), or the dE background value
    QVector<double> roi;       // mean of mu - mu- over the ROI, or the ROI background value
    QVector<double> nroi;      // roi / dmut, or the NROI background value

    // Empties every vector, keeping its storage when it is not shared.
    void clear();
};

// Element analysis of `sample`: for every row the edge step around the row's
// edge energy, the edge position, the ROI mean and its ratio to the edge step,
// with the background values where the edge step is not above the threshold;
// then every row's dmut divided by the dmut of row `mainT`. When `mainT` is
// not a row index the ratios are NaN and a debug line says so.
// Refills `out` in place; no allocation once its vectors have grown.
void analyzeElements(const XafsSpectrum& sample, const QVector<ElementSnapshot>& rows, int mainT,
                     const BackgroundValues& background, ElementResult& out);
// The same over n plain points whose energies are x - o (o: the sample's
// offset in force); a whole-area run calls this with a block's points.
void analyzeElements(const SpectrumPoint* p, int n, double o, const QVector<ElementSnapshot>& rows, int mainT,
                     const BackgroundValues& background, ElementResult& out);
ElementResult analyzeElements(const XafsSpectrum& sample, const QVector<ElementSnapshot>& rows, int mainT,
                              const BackgroundValues& background);
