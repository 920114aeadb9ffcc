#pragma once

#include "DemoModel.h"

#include <vector>

// The true edge energy of every pixel for the program's edge maps: the E0
// that the edge maps' rule (EdgeRules::edgeEnergy, with the lines of the
// normalisation with straight background lines) finds in the pixel's
// noise-free absorption at the scan energies, as the I1 series
// aligned by the true drift shows it (the I1 of the drifted detector pixel
// over the I0 of the pixel), corrected by the pixel's energy shift
// (E0 - dE). NaN outside the sample, where the drift leaves the image and
// where the rule finds no edge.
std::vector<float> demoEdgeEnergies(const DemoModel& model, int threads);
