#pragma once

#include <QString>
#include <vector>

// The energy grid of the demo scan: n energies from E0 - 150 eV to E0 + 400 eV,
// dense around the edges and the white lines, sparse far away, each rounded to
// 0.01 eV so that the two decimals of a file name give it exactly. An empty
// result means that n energies do not fit with distinct values (n < 2 or very
// large n).
std::vector<double> demoEnergies(int n);

// Formats an energy as in the file names: two decimals, e.g. "7112.50".
QString demoEnergyText(double energy);
