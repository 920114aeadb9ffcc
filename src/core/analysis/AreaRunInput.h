#pragma once

#include "grid/AreaMask.h"
#include "grid/ScanGrid.h"
#include "grid/ShiftMapView.h"
#include "processing/BlockBands.h"

#include <functional>
#include <vector>

class TiffData;

// What every whole-area run reads, as plain values taken on the GUI thread
// when the run starts. The images and the shift map's values are not copied:
// they must stay alive and unchanged until the runner is idle again
// (JobRunner::stopAndWait() before the series or the shift map change).
struct AreaRunInput {
    std::vector<const TiffData*> i1;
    std::vector<const TiffData*> i0;
    // The run's grid, set up as every run sets it up (half sizes from HWidth
    // and VWidth, steps -1, image size of the first I1 image).
    ScanGrid grid;
    bool fluorescence = false;
    // Background form of the block spectra (the calibration window's
    // TargetBGVictreen box).
    bool victoreen = false;
    // The energy-shift map ("a2d esm"); none gives dE = 0 everywhere.
    ShiftMapView shift;
    // Optional sample mask (off: every block is analysed).
    AreaMask mask;
    // Bytes the block values, a band's results and the scratch may take.
    qint64 budgetBytes = BlockBands::defaultBudget;
    // Worker threads of a band (<= 0: one per processor).
    int threads = 0;
    // Grid rows of a slice (<= 0: as many as keep a slice short; never more
    // than the budget allows).
    int rowsPerSlice = 0;
};

// Where a run stands after a band was recorded.
struct RunBand {
    // Block-grid rows of the band.
    int firstRow = 0;
    int rows = 0;
    // The walk goes on with a new line; false after the last band, whose end
    // is the run's finish.
    bool newLineReached = false;
    // (y - y0) / (y1 - y0) x 100 for the y of that new line.
    double percent = 0.0;
};

// Called on the GUI thread after each band but the last (see RunBand).
using RunBandHook = std::function<void(const RunBand&)>;
