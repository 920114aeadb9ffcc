#pragma once

#include <QStringList>

// What the batch line in progress waits for: the executor sets it when a
// command starts long work, and the line completes when that work has ended.
struct BatchWait {
    enum Work {
        None,         // completes when the command returns
        LoadI1,       // the I1 load with the request number `request`
        LoadI0,
        Calibration,
        Alignment,
        Saving,       // a spectra file or a large text map
        LcfRun,
        ElemsRun,
        ResidualRun,
        FourierRun,
        ExtraMapsRun, // the edge maps, the PCA or the clusters
        Dark,         // the dark image being read
        ScanLoad      // an HDF5 scan: the I1 load `request`, the I0 load
                      // `request0` (0: none) and the dark
    };
    Work work = None;
    int request = 0;
    int request0 = 0;
};

// A series load as the main window sent it to its loader: the request
// number, the files the loader reads (after skipping and cutting) and the
// size of the series before the first of them arrives.
struct SeriesLoadRequest {
    int request = 0;
    QStringList expected;
    int before = 0;
};
