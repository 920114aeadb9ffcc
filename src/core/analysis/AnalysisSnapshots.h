#pragma once

#include "physics/XafsSpectrum.h"

#include <QMetaType>
#include <QVector>

// Value copies of what an analysis request needs from the analyzer window:
// taken on the GUI thread when the request is made, so the engine thread
// never reads a widget and the rows may change while a request is queued.

// One reference row of the linear-combination fits.
struct ReferenceSnapshot {
    // The reference spectrum; its offset is switched on and holds the row's dE.
    XafsSpectrum spectrum;
    // The file chooser's use box.
    bool use = false;
    // The file chooser's file-chosen flag.
    bool fileChosen = false;
    // The row's current coefficient: the last fraction it showed.
    double coefficient = 0.0;

    // A row takes part in a fit when its use box is checked and a file was chosen.
    bool isUsed() const { return use && fileChosen; }
};

// One element row of the element analysis.
struct ElementSnapshot {
    int z = 0;             // atomic number
    int edge = 0;          // edge index (0 K, 1 LI, 2 LII, 3 LIII)
    double dE = 0.0;       // half width around E0 where mu+ and mu- are taken, eV
    double roiStart = 0.0; // eV
    double roiEnd = 0.0;   // eV
    double threshold = 0.0;
    bool noNeg = false;    // a negative ROI takes the background values
};

// The background values that replace the results of an element row whose
// edge step is not above its threshold.
struct BackgroundValues {
    double dmut = -1.0;
    double dE = -1.0;
    double roi = -1.0;
    double nroi = -1.0;
};

Q_DECLARE_METATYPE(ReferenceSnapshot)
Q_DECLARE_METATYPE(ElementSnapshot)
Q_DECLARE_METATYPE(BackgroundValues)
Q_DECLARE_METATYPE(QVector<double>*)

// Registers the snapshot types, their vectors, QVector<double>* and the
// spectrum types with the meta-type system for queued connections. Safe to
// call more than once.
void registerAnalysisMetaTypes();
