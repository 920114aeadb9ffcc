#pragma once

#include <QString>
#include <QtGlobal>

// What to generate: output folder, image size, number of energies, seed.
struct DemoConfig {
    static constexpr int minSize = 8;
    static constexpr int maxSize = 2048;
    static constexpr int minEnergies = 4;
    static constexpr int maxEnergies = 2000;

    QString outDir;
    int width = 256;
    int height = 256;
    int energies = 150;
    quint64 seed = 1;
    bool noise = true;  // false: expected counts, rounded (for checks)
    bool sharpEdge = false; // sharp edge, white line and pre-edge peak (DemoCompound::ironSet)
    int threads = 0;    // 0: one per processor
    // Also the HDF5 scan file scan.h5 with a dark offset (DemoHdf5), its
    // images compressed with bitshuffle/LZ4 when hdf5Bitshuffle.
    bool hdf5 = false;
    bool hdf5Bitshuffle = false;
    // Also scan.txrm: the I1 images and one flat as a TXRM file (DemoTxrm).
    bool txrm = false;
};
