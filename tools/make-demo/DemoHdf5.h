#pragma once

#include "DemoModel.h"

#include <QString>
#include <vector>

// The demo measurement as one HDF5 scan file in the full-field XANES layout:
//   /img_xanes  uint16, energies x height x width: the I1 counts plus dark
//   /img_bkg    uint16, energies x height x width: the I0 counts plus dark
//   /img_dark   uint16, darkFrames x height x width: the dark alone
//   /X_eng      float64, energies in keV (attribute units = "keV")
// one chunk per image, uncompressed or compressed with bitshuffle/LZ4. The
// I0 and I1 counts are those of the TIFF stacks; on top of them every image
// gets its own Poisson sample of the detector's dark level, which the dark
// frames sample too, so that an analysis without dark correction is off.
namespace DemoHdf5 {

constexpr int darkFrames = 10;

// Mean dark counts of pixel (x, y): a level of about 900 counts rising
// across the detector, with faint bands of its read-out.
double darkLevel(int x, int y, int width);

// Writes the scan file. False with a reason when it cannot be written (or
// the bitshuffle filter is missing).
bool write(const DemoModel& model, bool noise, const QString& path, bool bitshuffle, int threads, QString* error);

// The batch script that analyses the scan file like analysis.bat analyses
// the TIFF stacks (calibration on calib/ and i0/, then the scan with its
// dark), saving the fraction maps as results/hdf5_fraction_<compound>-<row>.dat.
QString analysisScript(const DemoModel& model, const QString& scanFile);

}
